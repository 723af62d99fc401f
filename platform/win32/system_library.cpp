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

// What Windows' own components (the window manager, common controls 6 and their visual styles,
// the taskbar button's COM object, the shell, CryptoAPI and its provider, the Restart Manager's
// callers) load into this program by name on Windows 7 and Vista after it starts, as the
// end-to-end test of planted DLLs lists them (tests/end_to_end, LOADED_BY_NAME), less the
// KnownDLLs of those versions (mapped from the system folder whatever the search) and the DLLs
// this program loads itself by full path. The DLLs that each of these imports come from the
// system folder too (LOAD_WITH_ALTERED_SEARCH_PATH).
constexpr const wchar_t* kLoadedByNameLater[] = {
    L"uxtheme.dll",  L"dwmapi.dll",   L"version.dll",       L"cryptbase.dll",
    L"cryptsp.dll",  L"rsaenh.dll",   L"bcrypt.dll",        L"propsys.dll",
    L"oleacc.dll",   L"msimg32.dll",  L"windowscodecs.dll", L"explorerframe.dll",
    L"userenv.dll",  L"profapi.dll",  L"sspicli.dll",       L"secur32.dll",
    L"ntmarta.dll",
};

}  // namespace

std::span<const wchar_t* const> windowsDllsLoadedByNameLater() { return kLoadedByNameLater; }

void loadWindowsDllsFromSystemFolder() {
  const std::wstring folder = systemFolder();
  if (folder.empty()) return;
  for (const wchar_t* name : kLoadedByNameLater)
    LoadLibraryExW((folder + L"\\" + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void restrictLibrarySearchToSystemFolder() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  // kernel32 is mapped into every process before its first instruction.
  const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                             "SetDefaultDllDirectories")));
  if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  SetDllDirectoryW(L"");
  loadWindowsDllsFromSystemFolder();
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
