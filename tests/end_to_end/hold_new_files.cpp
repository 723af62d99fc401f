// e2e_hold_new_files MILLISECONDS LOG STOP FOLDER...: behaves as an on-access virus scanner or an
// indexer does. It watches the folders and everything below them for files that are created,
// written, renamed or given other attributes, opens each such file as soon as it can (a file
// still open without sharing is tried again every few milliseconds), without sharing its
// deletion, and holds it for MILLISECONDS; a file is held again after a later change. It prints
// "watching" once the watches are set, and when the file STOP exists it lets go of everything,
// writes the path of every file it held, one line per hold, to LOG and ends.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Watch {
  std::wstring folder;
  HANDLE handle = INVALID_HANDLE_VALUE;
  OVERLAPPED overlapped{};
  alignas(DWORD) unsigned char buffer[256 * 1024];
};

constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                           FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_ATTRIBUTES;
// A file that stays open without sharing for this long is given up.
constexpr auto kLongestWaitToOpen = std::chrono::seconds(30);

bool listen(Watch& watch) {
  return ReadDirectoryChangesW(watch.handle, watch.buffer, sizeof watch.buffer, TRUE, kChanges,
                               nullptr, &watch.overlapped, nullptr) != FALSE;
}

class Holder {
 public:
  explicit Holder(std::chrono::milliseconds hold) : hold_(hold) {}
  ~Holder() {
    for (auto& [path, held] : held_) CloseHandle(held.handle);
  }

  void changed(const std::wstring& path) {
    if (!held_.count(path)) waiting_.emplace(path, Clock::now());
  }

  // Opens what can be opened now and lets go of what was held long enough.
  void step() {
    const auto now = Clock::now();
    for (auto it = held_.begin(); it != held_.end();) {
      if (now < it->second.until) {
        ++it;
        continue;
      }
      CloseHandle(it->second.handle);
      it = held_.erase(it);
    }
    for (auto it = waiting_.begin(); it != waiting_.end();) {
      const HANDLE file = CreateFileW(it->first.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        held_[it->first] = {file, now + hold_};
        log_.push_back(it->first);
      } else if (GetLastError() == ERROR_SHARING_VIOLATION &&
                 now - it->second < kLongestWaitToOpen) {
        ++it;
        continue;
      }
      it = waiting_.erase(it);  // held now, or gone, or a folder
    }
  }

  const std::vector<std::wstring>& log() const { return log_; }

 private:
  struct Held {
    HANDLE handle;
    Clock::time_point until;
  };
  std::chrono::milliseconds hold_;
  std::map<std::wstring, Held> held_;
  std::map<std::wstring, Clock::time_point> waiting_;
  std::vector<std::wstring> log_;
};

// Every file named in the changes but those removed or renamed away.
void readChanges(const std::wstring& folder, const std::vector<DWORD>& changes, Holder& holder) {
  const auto* at = reinterpret_cast<const unsigned char*>(changes.data());
  while (!changes.empty()) {
    const auto& change = *reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at);
    if (change.Action != FILE_ACTION_REMOVED && change.Action != FILE_ACTION_RENAMED_OLD_NAME)
      holder.changed(folder + L"\\" +
                     std::wstring(change.FileName, change.FileNameLength / sizeof(wchar_t)));
    if (change.NextEntryOffset == 0) break;
    at += change.NextEntryOffset;
  }
}

bool writeLog(const wchar_t* path, const std::vector<std::wstring>& held) {
  FILE* log = _wfopen(path, L"w, ccs=UTF-8");
  if (!log) return false;
  for (const std::wstring& file : held) std::fwprintf(log, L"%ls\n", file.c_str());
  return std::fclose(log) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: e2e_hold_new_files MILLISECONDS LOG STOP FOLDER...\n");
    return 2;
  }
  Holder holder{std::chrono::milliseconds(_wtoi(argv[1]))};
  std::vector<std::unique_ptr<Watch>> watches;
  std::vector<HANDLE> events;
  for (int i = 4; i < argc; ++i) {
    auto watch = std::make_unique<Watch>();
    watch->folder = argv[i];
    watch->handle = CreateFileW(argv[i], FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                                nullptr);
    watch->overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (watch->handle == INVALID_HANDLE_VALUE || !listen(*watch)) {
      std::fprintf(stderr, "e2e_hold_new_files: cannot watch %ls (%lu)\n", argv[i],
                   GetLastError());
      return 1;
    }
    events.push_back(watch->overlapped.hEvent);
    watches.push_back(std::move(watch));
  }
  std::printf("watching\n");
  std::fflush(stdout);
  while (GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES) {
    const DWORD woken =
        WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, 2);
    if (woken < WAIT_OBJECT_0 + events.size()) {
      Watch& watch = *watches[woken - WAIT_OBJECT_0];
      DWORD bytes = 0;
      GetOverlappedResult(watch.handle, &watch.overlapped, &bytes, FALSE);
      std::vector<DWORD> changes((bytes + sizeof(DWORD) - 1) / sizeof(DWORD));
      std::memcpy(changes.data(), watch.buffer, bytes);
      ResetEvent(watch.overlapped.hEvent);
      listen(watch);  // before reading, so that no change is missed meanwhile
      readChanges(watch.folder, changes, holder);
    }
    holder.step();
  }
  return writeLog(argv[2], holder.log()) ? 0 : 1;
}
