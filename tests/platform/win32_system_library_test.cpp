// Windows' DLLs that its components load by name, loaded from the system folder ahead of them
// where Windows cannot restrict the search.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/system_library.h"

namespace tarvik {
namespace {

std::wstring folderOf(HMODULE module) {
  wchar_t path[MAX_PATH * 2] = {};
  const std::wstring file(path, GetModuleFileNameW(module, path, MAX_PATH * 2));
  return file.substr(0, file.find_last_of(L'\\'));
}

TEST(WindowsDllsLoadedByNameLater, AreLoadedFromTheSystemFolderAndFoundLoadedByName) {
  wchar_t system[MAX_PATH] = {};
  const std::wstring systemFolder(system, GetSystemDirectoryW(system, MAX_PATH));
  loadWindowsDllsFromSystemFolder();
  int found = 0;
  for (const wchar_t* name : windowsDllsLoadedByNameLater()) {
    if (GetFileAttributesW((systemFolder + L"\\" + name).c_str()) == INVALID_FILE_ATTRIBUTES)
      continue;  // not part of this system
    ++found;
    const HMODULE loaded = GetModuleHandleW(name);
    ASSERT_NE(loaded, nullptr) << "not loaded: " << std::string(name, name + wcslen(name));
    EXPECT_EQ(_wcsicmp(folderOf(loaded).c_str(), systemFolder.c_str()), 0);
  }
  EXPECT_GT(found, 8) << "this system lacks most of them";
}

}  // namespace
}  // namespace tarvik
