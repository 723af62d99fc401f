#include "platform/win32/held_files.h"

#include "platform/held_file_retry.h"

namespace tarvik {
namespace {

// Read-only, protected (this process may not open it for the access) or a folder: no wait
// makes such an entry changeable.
bool readOnlyOrProtected(const std::wstring& path, DWORD access) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;  // gone meanwhile, or never there
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return true;
  const HANDLE probe = CreateFileW(path.c_str(), access,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING,
                                   FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                   nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    return false;
  }
  return GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace

bool failedForAMomentaryHold(std::initializer_list<std::wstring> paths, DWORD access) {
  const DWORD error = GetLastError();
  bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
  if (error == ERROR_ACCESS_DENIED) {
    held = true;
    for (const std::wstring& path : paths) held = held && !readOnlyOrProtected(path, access);
  }
  SetLastError(error);
  return held;
}

bool retryWhileHeld(std::initializer_list<std::wstring> paths, DWORD access,
                    const std::function<bool()>& attempt) {
  DWORD error = ERROR_SUCCESS;
  const bool done = retryWhileHeld(
      [&] {
        if (attempt()) return true;
        error = GetLastError();
        return false;
      },
      [&] { return failedForAMomentaryHold(paths, access); },
      [](std::chrono::milliseconds pause) { Sleep(static_cast<DWORD>(pause.count())); });
  if (!done) SetLastError(error);
  return done;
}

}  // namespace tarvik
