// The test archives lie in unziplib_data beside the test program. Long paths need their long
// form.

#include <windows.h>

#include "tests/unziplib/unzip_call.h"

namespace tarvik::testing {

std::filesystem::path testData() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  return std::filesystem::path(std::wstring(path, length)).parent_path() / "unziplib_data";
}

std::filesystem::path longForm(const std::filesystem::path& path) {
  if (path.wstring().starts_with(L"\\\\?\\")) return path;
  return L"\\\\?\\" + std::filesystem::absolute(path).make_preferred().wstring();
}

// The C runtime's file functions under std::filesystem stop at 260 characters; the wide Win32
// calls with the long form do not.
void removeTree(const std::filesystem::path& folder) {
  const std::wstring root = longForm(folder).wstring();
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((root + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = root + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(root.c_str());
}

bool systemLimitsPathLength(const std::filesystem::path& folder) {
  std::filesystem::path probe = std::filesystem::absolute(folder);
  bool refused = false;
  for (int i = 0; i < 3 && !refused; ++i) {
    probe /= std::wstring(100, L'p');
    refused = !CreateDirectoryW(probe.make_preferred().c_str(), nullptr);
  }
  removeTree(std::filesystem::absolute(folder) / std::wstring(100, L'p'));
  return refused;
}

}  // namespace tarvik::testing
