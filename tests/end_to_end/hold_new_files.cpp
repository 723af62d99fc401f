// e2e_hold_new_files MILLISECONDS STOP FOLDER...: does what an on-access virus scanner or an
// indexer does. It watches the folders and all below them for files that are made, written,
// renamed or given other attributes, opens each as soon as it can (a file still open without
// sharing is tried again every few milliseconds) without sharing its deletion, and holds it for
// MILLISECONDS; a later change holds it again. It prints "watching" once it watches, and when
// the file STOP exists it lets go of everything, prints the path of each file it held, one line
// per hold, and ends.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kGiveUpAfter = std::chrono::seconds(30);

struct Watch {
  std::wstring folder;
  HANDLE handle;
  OVERLAPPED overlapped{};
  DWORD buffer[16384];

  bool listen() {
    constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                               FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_ATTRIBUTES;
    ResetEvent(overlapped.hEvent);
    return ReadDirectoryChangesW(handle, buffer, sizeof buffer, TRUE, kChanges, nullptr,
                                 &overlapped, nullptr);
  }
};

std::map<std::wstring, Clock::time_point> waiting;                 // since when
std::map<std::wstring, std::pair<HANDLE, Clock::time_point>> held;  // until when
std::vector<std::wstring> heldFiles;

// Every file named in the changes but those removed or renamed away waits to be held.
void noteChanges(const std::wstring& folder, const std::vector<DWORD>& changes) {
  for (auto at = reinterpret_cast<const unsigned char*>(changes.data()); !changes.empty();) {
    const auto& change = *reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at);
    const std::wstring path =
        folder + L"\\" + std::wstring(change.FileName, change.FileNameLength / sizeof(wchar_t));
    if (change.Action != FILE_ACTION_REMOVED && change.Action != FILE_ACTION_RENAMED_OLD_NAME &&
        !held.count(path))
      waiting.emplace(path, Clock::now());
    if (change.NextEntryOffset == 0) break;
    at += change.NextEntryOffset;
  }
}

void holdAndLetGo(std::chrono::milliseconds hold) {
  const auto now = Clock::now();
  std::erase_if(held, [&](const auto& file) {
    if (now < file.second.second) return false;
    CloseHandle(file.second.first);
    return true;
  });
  std::erase_if(waiting, [&](const auto& file) {
    const HANDLE opened = CreateFileW(file.first.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened != INVALID_HANDLE_VALUE) {
      held[file.first] = {opened, now + hold};
      heldFiles.push_back(file.first);
      return true;
    }
    // Still open without sharing: tried again for a while. Gone, or a folder: forgotten.
    return GetLastError() != ERROR_SHARING_VIOLATION || now > file.second + kGiveUpAfter;
  });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: e2e_hold_new_files MILLISECONDS STOP FOLDER...\n");
    return 2;
  }
  const std::chrono::milliseconds hold(_wtoi(argv[1]));
  std::vector<std::unique_ptr<Watch>> watches;
  std::vector<HANDLE> events;
  for (int i = 3; i < argc; ++i) {
    auto& watch = *watches.emplace_back(std::make_unique<Watch>());
    watch.folder = argv[i];
    watch.handle = CreateFileW(argv[i], FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                               nullptr);
    watch.overlapped.hEvent = events.emplace_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!watch.listen()) {
      std::fprintf(stderr, "e2e_hold_new_files: cannot watch %ls (%lu)\n", argv[i], GetLastError());
      return 1;
    }
  }
  std::printf("watching\n");
  std::fflush(stdout);
  while (GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES) {
    const DWORD woken = WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(),
                                               FALSE, 2) - WAIT_OBJECT_0;
    if (woken < watches.size()) {
      Watch& watch = *watches[woken];
      DWORD bytes = 0;
      GetOverlappedResult(watch.handle, &watch.overlapped, &bytes, FALSE);
      const std::vector<DWORD> changes(watch.buffer, watch.buffer + (bytes + 3) / 4);
      watch.listen();  // before the changes are read, so that none is missed meanwhile
      noteChanges(watch.folder, changes);
    }
    holdAndLetGo(hold);
  }
  for (const std::wstring& file : heldFiles) std::printf("%ls\n", file.c_str());
  return 0;
}
