#include "app/win32/folder_picker_window.h"

#include <algorithm>
#include <cwctype>
#include <optional>
#include <vector>

#include "app/handlers.h"
#include "app/installer_texts.h"
#include "app/win32/banner_picture.h"
#include "app/win32/control_layout.h"
#include "app/win32/message_loop.h"
#include "app/win32/twips.h"
#include "app/win32/window_procedure.h"
#include "platform/win32/wide_text.h"

namespace tarvik {
namespace {

constexpr wchar_t kWindowClass[] = L"TarvikFolderPicker";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// DlgDirList and DlgDirListComboBox make the folder they list the current one; the program's
// current folder stays what it was.
class CurrentFolderKept {
 public:
  CurrentFolderKept() {
    folder_.resize(GetCurrentDirectoryW(0, nullptr));
    folder_.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder_.size()), folder_.data()));
  }
  ~CurrentFolderKept() { SetCurrentDirectoryW(folder_.c_str()); }
  CurrentFolderKept(const CurrentFolderKept&) = delete;
  CurrentFolderKept& operator=(const CurrentFolderKept&) = delete;
  const std::wstring& folder() const { return folder_; }

 private:
  std::wstring folder_;
};

bool isDriveRoot(const std::wstring& folder) {
  return folder.size() == 3 && folder[1] == L':' && folder[2] == L'\\';
}

// The full path of an existing folder, without a trailing separator except at a drive's root;
// nothing when path names no folder that can be reached.
std::optional<std::wstring> existingFolder(const std::wstring& path) {
  if (path.empty()) return std::nullopt;
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return std::nullopt;
  std::wstring full(length, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), length, full.data(), nullptr));
  const DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  while (full.size() > 1 && full.back() == L'\\' && !isDriveRoot(full)) full.pop_back();
  return full;
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
  return !folder.empty() && folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

// A writable copy of a path pattern, as DlgDirList wants one.
std::vector<wchar_t> pattern(const std::wstring& folder) {
  const std::wstring text = joinPath(folder, L"*.*");
  std::vector<wchar_t> buffer(text.begin(), text.end());
  buffer.resize(std::max<std::size_t>(buffer.size() + 1, MAX_PATH + 1), L'\0');
  return buffer;
}

constexpr int id(PickerControl control) { return static_cast<int>(control); }

}  // namespace

FolderPickerWindow::FolderPickerWindow(HWND owner, WindowControls& mainWindow,
                                       const WindowServices& services, HBITMAP picture,
                                       int dpi)
    : owner_(owner),
      mainWindow_(mainWindow),
      services_(services),
      picture_(picture),
      dpi_(dpi),
      fonts_(std::make_unique<WindowFonts>(dpi)),
      handlers_(*this, mainWindow.list1(), mainWindow.list2()) {
  registerWindowClass(kWindowClass, windowProcedure<FolderPickerWindow>);
  const SIZE size = windowSizeForClient(kPickerClientWidth, kPickerClientHeight, kStyle, 0, dpi);
  const std::wstring caption = widen(kWindowCaption);
  CreateWindowExW(0, kWindowClass, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, size.cx,
                  size.cy, owner, nullptr, GetModuleHandleW(nullptr), this);
  const std::vector<HWND> controls =
      createControls(window_, folderPickerLayout(), *fonts_, dpi);
  std::copy(controls.begin(), controls.end(), controls_.begin());
  registerDialogKeys(window_);

  CurrentFolderKept current;
  std::vector<wchar_t> drives = pattern(current.folder());
  DlgDirListComboBoxW(window_, drives.data(), id(PickerControl::Drive1), 0,
                      DDL_DRIVES | DDL_EXCLUSIVE);
  directory_ = existingFolder(current.folder()).value_or(current.folder());
  listFolders(directory_);
  selectDriveOf(directory_);
  setFileListPath(narrow(directory_));
}

FolderPickerWindow::~FolderPickerWindow() {
  if (window_) DestroyWindow(window_);
}

HWND FolderPickerWindow::control(PickerControl control) const {
  return controls_.at(static_cast<std::size_t>(id(control) - id(PickerControl::Dir1)));
}

void FolderPickerWindow::showModal() {
  // The button that opened the dialog may still hold the mouse.
  if (GetCapture()) ReleaseCapture();
  EnableWindow(owner_, FALSE);
  modal_ = true;
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(control(PickerControl::Dir1));
  MSG message;
  while (window_ && IsWindowVisible(window_)) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    dispatchQueuedMessage(message);
  }
  modal_ = false;
  EnableWindow(owner_, TRUE);
  SetActiveWindow(owner_);
}

std::string FolderPickerWindow::drive() const {
  wchar_t chosen[MAX_PATH + 1]{};
  DlgDirSelectComboBoxExW(window_, chosen, MAX_PATH, id(PickerControl::Drive1));
  return narrow(chosen);
}

std::string FolderPickerWindow::directoryPath() const { return narrow(directory_); }

void FolderPickerWindow::setDirectoryPath(const std::string& path) {
  const std::optional<std::wstring> folder = existingFolder(widen(path));
  if (!folder || !listFolders(*folder)) {
    services_.messageBox(window_, L"\"" + widen(path) + L"\" cannot be opened.", widen(kAppTitle),
                         MB_OK | MB_ICONWARNING);
    listFolders(directory_);
    selectDriveOf(directory_);
    return;
  }
  directory_ = *folder;
  selectDriveOf(directory_);
  raise(&dlgSelectDir::Dir1_Change);
}

void FolderPickerWindow::setFileListPath(const std::string& path) {
  const HWND files = control(PickerControl::File1);
  const std::optional<std::wstring> folder = existingFolder(widen(path));
  CurrentFolderKept current;
  if (folder) {
    std::vector<wchar_t> listPattern = pattern(*folder);
    if (DlgDirListW(window_, listPattern.data(), id(PickerControl::File1), 0,
                    DDL_READWRITE | DDL_READONLY | DDL_ARCHIVE))
      return;
  }
  SendMessageW(files, LB_RESETCONTENT, 0, 0);
}

void FolderPickerWindow::hide() {
  // The owner is enabled first, so that it, and not another program, becomes active.
  if (modal_) EnableWindow(owner_, TRUE);
  ShowWindow(window_, SW_HIDE);
}

bool FolderPickerWindow::listFolders(const std::wstring& folder) {
  CurrentFolderKept current;
  std::vector<wchar_t> listPattern = pattern(folder);
  return DlgDirListW(window_, listPattern.data(), id(PickerControl::Dir1), 0,
                     DDL_DIRECTORY | DDL_EXCLUSIVE) != 0;
}

void FolderPickerWindow::selectDriveOf(const std::wstring& folder) {
  if (folder.size() < 2 || folder[1] != L':') return;
  const std::wstring entry =
      std::wstring(L"[-") + static_cast<wchar_t>(towlower(folder[0])) + L"-]";
  const HWND drives = control(PickerControl::Drive1);
  const LRESULT index = SendMessageW(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(entry.c_str()));
  if (index != CB_ERR) SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// A double-click on a folder of Dir1 (or on "[..]") makes it Dir1's folder.
void FolderPickerWindow::enterSelectedFolder() {
  wchar_t chosen[MAX_PATH + 1]{};
  if (!DlgDirSelectExW(window_, chosen, MAX_PATH, id(PickerControl::Dir1)) || !chosen[0]) return;
  setDirectoryPath(narrow(joinPath(directory_, chosen)));
}

void FolderPickerWindow::raise(void (dlgSelectDir::*handler)()) {
  tarvik::runHandler(mainWindow_, [this, handler] { (handlers_.*handler)(); });
}

void FolderPickerWindow::onCommand(int control, int notification) {
  switch (control) {
    case id(PickerControl::Drive1):
      if (notification == CBN_SELCHANGE) raise(&dlgSelectDir::Drive1_Change);
      break;
    case id(PickerControl::Dir1):
      if (notification == LBN_DBLCLK)
        tarvik::runHandler(mainWindow_, [this] { enterSelectedFolder(); });
      break;
    case id(PickerControl::cmdselecteer):
      if (notification == BN_CLICKED) raise(&dlgSelectDir::cmdselecteer_Click);
      break;
    case id(PickerControl::cmdAnnuleer):
    case IDCANCEL:
      raise(&dlgSelectDir::cmdAnnuleer_Click);
      break;
    case IDOK:  // Enter: opens the folder chosen in Dir1
      if (GetFocus() == this->control(PickerControl::Dir1))
        tarvik::runHandler(mainWindow_, [this] { enterSelectedFolder(); });
      break;
    default:
      break;
  }
}

LRESULT FolderPickerWindow::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      window_ = window;
      break;
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      raise(&dlgSelectDir::cmdAnnuleer_Click);
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != static_cast<UINT>(id(PickerControl::Picture1))) break;
      drawPicture(item->hDC, item->rcItem, picture_, dpi_);
      return TRUE;
    }
    case WM_DPICHANGED: {
      if (!followsMonitorDpi(window)) break;
      const auto& suggested = *reinterpret_cast<const RECT*>(lParam);
      dpi_ = HIWORD(wParam);
      changeWindowDpi(window_, controls_, folderPickerLayout(),
                      {kPickerClientWidth, kPickerClientHeight}, fonts_, dpi_,
                      {suggested.left, suggested.top});
      return 0;
    }
    case WM_NCDESTROY:
      unregisterDialogKeys(window);
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tarvik
