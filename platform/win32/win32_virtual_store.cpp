// The VirtualStore of the user running this program, and the folders Windows virtualizes.

#include <windows.h>
#include <initguid.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <string>

#include "platform/text_case.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace tarvik {
namespace {

std::optional<std::string> knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
  std::optional<std::string> folder;
  if (SUCCEEDED(result) && path && *path) folder = narrow(path);
  CoTaskMemFree(path);
  return folder;
}

std::optional<std::string> environmentFolder(const wchar_t* name) {
  wchar_t value[MAX_PATH + 1] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return std::nullopt;
  return narrow(value);
}

void addOnce(std::vector<std::string>& folders, const std::optional<std::string>& folder) {
  if (!folder) return;
  const auto same = [&](const std::string& known) {
    return lowerCaseText(known) == lowerCaseText(*folder);
  };
  if (std::none_of(folders.begin(), folders.end(), same)) folders.push_back(*folder);
}

}  // namespace

VirtualStore virtualStoreOfThisUser() {
  VirtualStore store;
  if (const auto local = knownFolder(FOLDERID_LocalAppData))
    store.folder = *local + "\\VirtualStore";
  // A 32-bit program on 64-bit Windows is told "Program Files (x86)" for Program Files; the
  // 64-bit folder is only in its environment.
  for (const auto& folder :
       {knownFolder(FOLDERID_ProgramFiles), knownFolder(FOLDERID_ProgramFilesX86),
        knownFolder(FOLDERID_ProgramFilesX64), environmentFolder(L"ProgramW6432"),
        knownFolder(FOLDERID_ProgramData), knownFolder(FOLDERID_Windows)})
    addOnce(store.virtualizedFolders, folder);
  return store;
}

}  // namespace tarvik
