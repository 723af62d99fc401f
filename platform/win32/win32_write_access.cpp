// What the installer asks Windows before an update: free space, files held open by other
// programs (named through the Restart Manager), folders this process may not write, and a new
// start with administrator rights.

#include <windows.h>
#include <restartmanager.h>
#include <shellapi.h>
#include <winnetwk.h>

#include <string>
#include <vector>

#include "platform/program.h"
#include "platform/win32/growing_list.h"
#include "platform/win32/long_path.h"
#include "platform/win32/system_library.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_platform.h"

namespace tarvik {
namespace {

Access accessAfterFailure() {
  switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return Access::kInUse;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return Access::kMissing;
    default:
      return Access::kDenied;
  }
}

// The Restart Manager, loaded from the system folder when it is first needed. Windows before
// Vista, or a system without it, cannot tell who holds a file; the question then names no
// program.
struct RestartManager {
  using StartSession = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
  using EndSession = DWORD(WINAPI*)(DWORD);
  using RegisterResources = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT,
                                           LPCWSTR*);
  using GetList = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, DWORD*);

  bool available() const { return start && end && registerResources && getList; }

  const SystemLibrary library{L"RstrtMgr.dll"};
  const StartSession start = library.entry<StartSession>("RmStartSession");
  const EndSession end = library.entry<EndSession>("RmEndSession");
  const RegisterResources registerResources =
      library.entry<RegisterResources>("RmRegisterResources");
  const GetList getList = library.entry<GetList>("RmGetList");
};

// A Restart Manager session, ended when it goes.
class RestartManagerSession {
 public:
  explicit RestartManagerSession(const RestartManager& manager) : manager_(manager) {
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    started_ = manager_.available() && manager_.start(&handle_, 0, key) == ERROR_SUCCESS;
  }
  ~RestartManagerSession() {
    if (started_) manager_.end(handle_);
  }
  RestartManagerSession(const RestartManagerSession&) = delete;
  RestartManagerSession& operator=(const RestartManagerSession&) = delete;

  // The programs that hold the files; empty when the system cannot tell.
  std::vector<std::string> programsUsing(const std::vector<std::wstring>& files) {
    if (!started_ || files.empty()) return {};
    std::vector<LPCWSTR> names;
    for (const std::wstring& file : files) names.push_back(file.c_str());
    if (manager_.registerResources(handle_, static_cast<UINT>(names.size()), names.data(), 0,
                                   nullptr, 0, nullptr) != ERROR_SUCCESS)
      return {};
    const auto found = askWhileListGrows<RM_PROCESS_INFO>(
        [this](UINT* needed, UINT* count, RM_PROCESS_INFO* items) {
          DWORD reasons = 0;
          return manager_.getList(handle_, needed, count, items, &reasons);
        });
    std::vector<std::string> programs;
    for (const RM_PROCESS_INFO& process : found.value_or(std::vector<RM_PROCESS_INFO>{})) {
      const std::string name = narrow(process.strAppName);
      if (!name.empty()) programs.push_back(name);
    }
    return programs;
  }

 private:
  const RestartManager& manager_;
  DWORD handle_ = 0;
  bool started_ = false;
};

// The network names of mapped drives, from mpr.dll loaded from the system folder when first
// needed; without it no network path can be had.
class NetworkNames {
 public:
  // "\\\\server\\share\\a" for "M:\\a" on a drive mapped to \\\\server\\share.
  std::optional<std::wstring> universalNameOf(const std::wstring& path) const {
    if (!getUniversalName_) return std::nullopt;
    std::vector<unsigned char> buffer(sizeof(UNIVERSAL_NAME_INFOW) + 1024 * sizeof(wchar_t));
    DWORD size = static_cast<DWORD>(buffer.size());
    const auto ask = [&] {
      return getUniversalName_(path.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
    };
    DWORD result = ask();
    if (result == ERROR_MORE_DATA) {
      buffer.resize(size);
      result = ask();
    }
    if (result != NO_ERROR) return std::nullopt;
    const auto* name = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer.data());
    if (!name->lpUniversalName || !*name->lpUniversalName) return std::nullopt;
    return std::wstring(name->lpUniversalName);
  }

 private:
  using GetUniversalName = DWORD(WINAPI*)(LPCWSTR, DWORD, LPVOID, LPDWORD);
  const SystemLibrary library_{L"mpr.dll"};
  const GetUniversalName getUniversalName_ =
      library_.entry<GetUniversalName>("WNetGetUniversalNameW");
};

// Creates a file in the folder and deletes it again at once.
Access createProbeIn(const std::string& folder) {
  std::string probe = folder;
  if (probe.empty() || probe.back() != '\\') probe += '\\';
  probe += "~tvk-write-check.tmp";
  const FileHandle handle(CreateFileW(widePath(probe).c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                      CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr));
  // A probe that a killed check left there is a file this process could create there.
  if (handle.valid() || GetLastError() == ERROR_FILE_EXISTS) return Access::kAllowed;
  return accessAfterFailure();
}

// The allocation unit of the volume that holds an open folder: asked of the volume's root, found
// from the folder's final path, so that a junction to another volume leads there.
std::optional<uint64_t> clusterBytesOf(HANDLE folder) {
  constexpr DWORD kLongestPath = 32768;
  std::wstring finalPath(kLongestPath, L'\0');
  const DWORD length =
      GetFinalPathNameByHandleW(folder, finalPath.data(), kLongestPath, VOLUME_NAME_DOS);
  if (length == 0 || length >= kLongestPath) return std::nullopt;
  std::wstring root(kLongestPath, L'\0');
  if (!GetVolumePathNameW(finalPath.c_str(), root.data(), kLongestPath)) return std::nullopt;
  DWORD sectorsPerCluster = 0;
  DWORD bytesPerSector = 0;
  DWORD freeClusters = 0;
  DWORD clusters = 0;
  if (!GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &clusters) ||
      sectorsPerCluster * bytesPerSector == 0)
    return std::nullopt;
  return static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector;
}

class Win32WriteAccess : public WriteAccess {
 public:
  explicit Win32WriteAccess(HWND owner) : owner_(owner) {}

  std::optional<VolumeSpace> space(const std::string& folder) override {
    const std::wstring path = widePath(folder);
    ULARGE_INTEGER freeForCaller{};
    if (!GetDiskFreeSpaceExW(path.c_str(), &freeForCaller, nullptr, nullptr)) return std::nullopt;
    VolumeSpace space;
    space.freeBytes = freeForCaller.QuadPart;
    space.clusterBytes = 4096;  // the usual unit, where the system does not say
    const FileHandle handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    if (!handle.valid()) return space;
    DWORD serial = 0;
    if (GetVolumeInformationByHandleW(handle.get(), nullptr, 0, &serial, nullptr, nullptr,
                                      nullptr, 0))
      space.serial = serial;
    if (const auto cluster = clusterBytesOf(handle.get())) space.clusterBytes = *cluster;
    return space;
  }

  Access canChange(const std::string& file, bool replaceOrDelete) override {
    // Attribute access is granted whatever other programs share; replacing and deleting need
    // DELETE, which a program that holds the file without FILE_SHARE_DELETE refuses.
    const DWORD access = FILE_WRITE_ATTRIBUTES | (replaceOrDelete ? DELETE : 0);
    const FileHandle handle(CreateFileW(widePath(file).c_str(), access,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    return handle.valid() ? Access::kAllowed : accessAfterFailure();
  }

  Access canCreateIn(const std::string& folder) override {
    // Only a file really created shows every kind of protection (a folder's rights, read-only
    // media, a folder even the system may not change); the folder's times are put back after.
    const FileHandle folderHandle(CreateFileW(
        widePath(folder).c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folderHandle.valid()) return accessAfterFailure();
    FILETIME accessed{};
    FILETIME written{};
    GetFileTime(folderHandle.get(), nullptr, &accessed, &written);
    const Access access = createProbeIn(folder);
    SetFileTime(folderHandle.get(), nullptr, &accessed, &written);
    return access;
  }

  std::vector<std::string> programsUsing(const std::vector<std::string>& files) override {
    std::vector<std::wstring> wide;
    for (const std::string& file : files) wide.push_back(widen(file));
    static const RestartManager manager;
    RestartManagerSession session(manager);
    return session.programsUsing(wide);
  }

  std::optional<std::string> pathForAdministrator(const std::string& folder) override {
    if (folder.size() < 2 || folder[1] != ':') return folder;
    const std::wstring root = widen(folder.substr(0, 2)) + L"\\";
    if (GetDriveTypeW(root.c_str()) != DRIVE_REMOTE) return folder;
    static const NetworkNames names;
    const auto universal = names.universalNameOf(widen(folder));
    if (!universal) return std::nullopt;
    return narrow(*universal);
  }

  // The question for administrator rights belongs to the main window: without it Windows may
  // only flash it in the taskbar.
  bool restartAsAdministrator(const std::string& arguments) override {
    const std::wstring program = widen(executablePath());
    const std::wstring folder = program.substr(0, program.find_last_of(L"\\/") + 1);
    const std::wstring parameters = widen(arguments);
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOASYNC;
    start.hwnd = owner_;
    start.lpVerb = L"runas";
    start.lpFile = program.c_str();
    start.lpParameters = parameters.c_str();
    start.lpDirectory = folder.c_str();
    start.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&start) != FALSE;
  }

 private:
  HWND owner_;
};

}  // namespace

std::unique_ptr<WriteAccess> makeWin32WriteAccess(HWND owner) {
  return std::make_unique<Win32WriteAccess>(owner);
}

}  // namespace tarvik
