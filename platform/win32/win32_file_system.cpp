// The installer's file operations through the Windows file API.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/program.h"
#include "platform/runtime_error.h"
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

class Win32FileSystem : public FileSystem {
 public:
  std::optional<uint32_t> attributes(const std::string& path) override {
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
  }

  bool fileExists(const std::string& path) override {
    const auto found = attributes(path);
    return found && (*found & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  uint64_t fileSize(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data))
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
    FindHandle search(FindFirstFileExW(widen(prefix + "*").c_str(), FindExInfoBasic, &found,
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

  void setNormalAttributes(const std::string& path) override {
    if (!SetFileAttributesW(widen(path).c_str(), FILE_ATTRIBUTE_NORMAL)) throw lastFileError();
  }

  void deleteFile(const std::string& path) override {
    if (!DeleteFileW(widen(path).c_str())) throw lastFileError();
  }

  std::vector<std::string> readLines(const std::string& path) override {
    FileHandle file(CreateFileW(widen(path).c_str(), GENERIC_READ,
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
};

}  // namespace

std::unique_ptr<FileSystem> makeWin32FileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace tarvik
