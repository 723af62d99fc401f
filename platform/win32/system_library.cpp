#include "platform/win32/system_library.h"

namespace tarvik {
namespace {

// Windows 7 and Vista have the LOAD_LIBRARY_SEARCH_ flags only with update KB2533623; without
// it they refuse them as an invalid parameter.
bool searchFlagsRefused() { return GetLastError() == ERROR_INVALID_PARAMETER; }

std::wstring systemFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

}  // namespace

void restrictLibrarySearchToSystemFolder() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  // kernel32 is mapped into every process before its first instruction.
  const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                             "SetDefaultDllDirectories")));
  if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  SetDllDirectoryW(L"");
}

SystemLibrary::SystemLibrary(const wchar_t* fileName)
    : module_(LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
  if (module_ == nullptr && searchFlagsRefused()) {
    const std::wstring folder = systemFolder();
    if (!folder.empty())
      module_ = LoadLibraryExW((folder + L"\\" + fileName).c_str(), nullptr,
                               LOAD_WITH_ALTERED_SEARCH_PATH);
  }
}

SystemLibrary::~SystemLibrary() {
  if (module_) FreeLibrary(module_);
}

HMODULE loadLibraryByFullPath(const std::wstring& path) {
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr && searchFlagsRefused())
    module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return module;
}

}  // namespace tarvik
