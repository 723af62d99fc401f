#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/runtime_error.h"

namespace fs = std::filesystem;

namespace tarvik {
namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The names of a Windows-style path: the drive letter first, then each level. As on Windows,
// both slashes separate, empty levels (doubled or trailing separators) are skipped and ".."
// climbs one level.
std::optional<std::vector<std::string>> splitWindowsPath(const std::string& path) {
  if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0])))
    return std::nullopt;
  std::vector<std::string> names{std::string(1, static_cast<char>(std::tolower(path[0])))};
  std::string name;
  for (std::size_t i = 2; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\' || path[i] == '/') {
      if (name == "..") {
        if (names.size() > 1) names.pop_back();
      } else if (!name.empty() && name != ".") {
        names.push_back(name);
      }
      name.clear();
    } else {
      name.push_back(path[i]);
    }
  }
  return names;
}

}  // namespace

PosixFileSystem::PosixFileSystem(fs::path root) : root_(std::move(root)) {}

std::optional<fs::path> PosixFileSystem::resolve(const std::string& path) const {
  const auto names = splitWindowsPath(path);
  if (!names) return std::nullopt;
  fs::path here = root_;
  for (const std::string& name : *names) {
    std::error_code error;
    if (fs::exists(here / name, error)) {
      here /= name;
      continue;
    }
    std::optional<fs::path> match;
    for (const auto& entry : fs::directory_iterator(here, error)) {
      if (sameIgnoringCase(entry.path().filename().string(), name)) {
        match = entry.path();
        break;
      }
    }
    if (!match) return std::nullopt;
    here = *match;
  }
  return here;
}

fs::path PosixFileSystem::existing(const std::string& path, int missingError) const {
  const auto found = resolve(path);
  if (!found) throw fileError(missingError);
  return *found;
}

std::optional<uint32_t> PosixFileSystem::attributes(const std::string& path) {
  const auto found = resolve(path);
  struct stat info {};
  if (!found || ::stat(found->c_str(), &info) != 0) return std::nullopt;
  uint32_t result = S_ISDIR(info.st_mode) ? file_attribute::kDirectory : file_attribute::kArchive;
  if ((info.st_mode & S_IWUSR) == 0) result |= file_attribute::kReadOnly;
  return result;
}

bool PosixFileSystem::fileExists(const std::string& path) {
  const auto found = resolve(path);
  std::error_code error;
  return found && fs::is_regular_file(*found, error);
}

uint64_t PosixFileSystem::fileSize(const std::string& path) {
  const fs::path file = existing(path, error_number::kFileNotFound);
  std::error_code error;
  const auto size = fs::file_size(file, error);
  if (error) throw fileError(error_number::kFileNotFound);
  return size;
}

std::vector<std::string> PosixFileSystem::filesIn(const std::string& folder) {
  const fs::path here = existing(folder, error_number::kPathNotFound);
  std::error_code error;
  if (!fs::is_directory(here, error)) throw fileError(error_number::kPathNotFound);
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != '\\') prefix += '\\';
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(here, error)) {
    if (entry.is_regular_file(error)) files.push_back(prefix + entry.path().filename().string());
  }
  if (error) throw fileError(error_number::kPathFileAccessError);
  return files;
}

bool PosixFileSystem::setNormalAttributes(const std::string& path) {
  const fs::path file = existing(path, error_number::kFileNotFound);
  std::error_code error;
  if (fs::is_symlink(file, error)) return false;
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, error);
  if (error) throw fileError(error_number::kPermissionDenied);
  return true;
}

bool PosixFileSystem::deleteFile(const std::string& path) {
  const fs::path file = existing(path, error_number::kFileNotFound);
  std::error_code error;
  if (fs::is_symlink(file, error)) return false;
  if (!fs::is_regular_file(file, error)) throw fileError(error_number::kFileNotFound);
  struct stat info {};
  // Windows refuses to delete a read-only file; keep that rule here.
  if (::stat(file.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0)
    throw fileError(error_number::kPermissionDenied);
  if (!fs::remove(file, error) || error) throw fileError(error_number::kPermissionDenied);
  return true;
}

std::string PosixFileSystem::storedPath(const std::string& path) {
  const auto names = splitWindowsPath(path);
  if (!names) return path;
  std::string stored = path.substr(0, 2);
  for (std::size_t i = 1; i < names->size(); ++i) {
    const auto found = resolve(stored + "\\" + (*names)[i]);
    if (!found) {
      for (; i < names->size(); ++i) stored += "\\" + (*names)[i];
      break;
    }
    stored += "\\" + found->filename().string();
  }
  if (path.ends_with('\\')) stored += '\\';
  return stored;
}

std::vector<std::string> PosixFileSystem::readLines(const std::string& path) {
  const fs::path file = existing(path, error_number::kFileNotFound);
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  if (!in || !(text << in.rdbuf())) {
    // An empty file reads nothing and is no failure.
    std::error_code error;
    if (in && fs::file_size(file, error) == 0 && !error) return {};
    throw fileError(error_number::kPathFileAccessError);
  }
  return splitTextLines(text.str());
}

void PosixFileSystem::flushFolder(const std::string& folder) {
  const fs::path here = existing(folder, error_number::kPathNotFound);
  const int descriptor = ::open(here.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) throw fileError(error_number::kPathFileAccessError);
  const bool flushed = ::fsync(descriptor) == 0 || errno == EINVAL;  // EINVAL: nothing to flush
  ::close(descriptor);
  if (!flushed) throw fileError(error_number::kPathFileAccessError);
}

}  // namespace tarvik
