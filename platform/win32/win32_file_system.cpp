// The installer's file operations through the Windows file API.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/program.h"
#include "platform/reparse_tag.h"
#include "platform/runtime_error.h"
#include "platform/win32/held_files.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_platform.h"

namespace tarvik {
namespace {

RuntimeError lastFileError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
      return fileError(error_number::kFileNotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
      return fileError(error_number::kPathNotFound);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return fileError(error_number::kPermissionDenied);
    default:
      return fileError(error_number::kPathFileAccessError);
  }
}

bool cannotFlush(DWORD error) {
  return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
         error == ERROR_INVALID_PARAMETER;
}

// The entry at a path opened as itself: a link of that name is not followed where Windows can
// help it.
HANDLE openEntry(const std::string& path, DWORD access) {
  return CreateFileW(widePath(path).c_str(), access | FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                     nullptr);
}

// The path by which the system knows an open file, every link and junction on the way resolved;
// nothing where the file system cannot tell.
std::optional<std::wstring> finalPathOf(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD length = GetFinalPathNameByHandleW(handle, path.data(),
                                                   static_cast<DWORD>(path.size()), 0);
    if (length == 0) return std::nullopt;
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(length);
  }
}

// The length of a path's root, "C:\\" or "\\\\server\\share\\"; 0 for a path without one.
std::size_t rootLengthOf(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) return 3;
  if (!path.starts_with("\\\\") || path.starts_with("\\\\?\\")) return 0;
  const std::size_t share = path.find('\\', 2);
  const std::size_t end = share == std::string::npos ? share : path.find('\\', share + 1);
  return end == std::string::npos ? 0 : end + 1;
}

bool sameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

class Win32FileSystem : public FileSystem {
 public:
  std::optional<uint32_t> attributes(const std::string& path) override {
    const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
  }

  bool fileExists(const std::string& path) override {
    const auto found = attributes(path);
    return found && (*found & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  uint64_t fileSize(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data))
      throw lastFileError();
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      throw fileError(error_number::kFileNotFound);
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  std::vector<std::string> filesIn(const std::string& folder) override {
    std::string prefix = folder;
    if (prefix.empty() || (prefix.back() != '\\' && prefix.back() != '/')) prefix += '\\';
    const auto folderAttributes = attributes(folder);
    if (!folderAttributes || (*folderAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      throw fileError(error_number::kPathNotFound);
    WIN32_FIND_DATAW found{};
    FindHandle search(FindFirstFileExW(widePath(prefix + "*").c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, 0));
    std::vector<std::string> files;
    if (search.get() == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_NOT_FOUND) return files;
      throw lastFileError();
    }
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        files.push_back(prefix + narrow(found.cFileName));
    } while (FindNextFileW(search.get(), &found));
    return files;
  }

  // Both act through a handle on the entry itself, the one whose kind was checked, and wait
  // out another program's short hold of it (held_files.h).
  bool setNormalAttributes(const std::string& path) override {
    return actOnEntry(path, FILE_WRITE_ATTRIBUTES, [](HANDLE entry) {
      FILE_BASIC_INFO basic{};  // times of 0 stay as they are
      basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
      return SetFileInformationByHandle(entry, FileBasicInfo, &basic, sizeof basic) != FALSE;
    });
  }

  bool deleteFile(const std::string& path) override {
    return actOnEntry(path, DELETE, [](HANDLE entry) {
      FILE_DISPOSITION_INFO disposition{};
      disposition.DeleteFile = TRUE;
      return SetFileInformationByHandle(entry, FileDispositionInfo, &disposition,
                                        sizeof disposition) != FALSE;
    });
  }

  std::string storedPath(const std::string& path) override {
    const std::size_t rootLength = rootLengthOf(path);
    if (rootLength == 0) return path;
    std::string stored = path.substr(0, rootLength);
    std::size_t at = rootLength;
    while (at < path.size()) {
      const std::size_t end = std::min(path.find_first_of("\\/", at), path.size());
      WIN32_FIND_DATAW found{};
      const FindHandle search(FindFirstFileExW(widePath(stored + path.substr(at, end - at)).c_str(),
                                               FindExInfoBasic, &found, FindExSearchNameMatch,
                                               nullptr, 0));
      if (end == at || !search.valid()) return stored + path.substr(at);
      stored += narrow(found.cFileName) + path.substr(end, end < path.size() ? 1 : 0);
      at = end + 1;
    }
    return stored;
  }

  std::vector<std::string> readLines(const std::string& path) override {
    FileHandle file(CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) throw lastFileError();
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (true) {
      if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) throw lastFileError();
      if (read == 0) break;
      bytes.append(buffer, read);
    }
    return splitTextLines(fromAnsi(bytes));
  }

  void flushFolder(const std::string& folder) override {
    // A folder is flushed through a handle that may write it; a file system that keeps no
    // entries of its own to flush (some network shares) says that it cannot.
    const FileHandle handle(CreateFileW(widePath(folder).c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    if (!handle.valid()) throw lastFileError();
    if (!FlushFileBuffers(handle.get()) && !cannotFlush(GetLastError())) throw lastFileError();
  }

 private:
  // Opens the entry for the access and, unless it is a link, acts on it; false for a link.
  // Raises the failure that outlasts a short hold.
  template <typename Action>
  bool actOnEntry(const std::string& path, DWORD access, Action action) {
    bool link = false;
    const std::wstring entryPath = widePath(path);
    const bool done = retryWhileHeld({entryPath}, access, [&] {
      DWORD error = ERROR_SUCCESS;
      {
        const FileHandle entry(openEntry(path, access));
        if (!entry.valid()) return false;
        link = isLink(entry.get(), path);
        if (link || action(entry.get())) return true;
        error = GetLastError();
      }
      SetLastError(error);  // the failure's, not the closing's
      return false;
    });
    if (!done) throw lastFileError();
    return !link;
  }

  // A link: Windows marks the entry itself with a reparse tag that names another file or
  // folder. Wine opens what a symbolic link points to even when asked for the link, and shows
  // that file's attributes; that file's final path then leads elsewhere than the folder the path
  // names.
  bool isLink(HANDLE entry, const std::string& path) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(entry, FileAttributeTagInfo, &tag, sizeof tag))
      throw lastFileError();
    if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
      return reparse_tag::isLink(tag.ReparseTag);
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return false;
    const auto folder = finalFolderPath(path.substr(0, separator + 1));
    const auto entryPath = finalPathOf(entry);
    if (!folder || !entryPath) return false;
    std::wstring expected = *folder;
    if (expected.empty() || expected.back() != L'\\') expected += L'\\';
    return !sameIgnoringCase(*entryPath, expected + widen(path.substr(separator + 1)));
  }

  // The folder's final path, kept for the files of one folder after another.
  std::optional<std::wstring> finalFolderPath(const std::string& folder) {
    if (folder != folder_) {
      const FileHandle handle(CreateFileW(widePath(folder).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                          nullptr));
      folder_ = folder;
      folderFinalPath_ = handle.valid() ? finalPathOf(handle.get()) : std::nullopt;
    }
    return folderFinalPath_;
  }

  std::string folder_;
  std::optional<std::wstring> folderFinalPath_;
};

}  // namespace

std::unique_ptr<FileSystem> makeWin32FileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace tarvik
