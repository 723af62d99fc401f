// e2e_window_text --can-create-window: exits with 0 when this Wine session can make a window on
// its display, which the end-to-end test checks before it starts the installer.
//
// e2e_window_text --list-entries TITLE: prints the entries of the installer's list of folders
// (shown or not), one "class item: [x] text" line each ("[ ]" for an entry that is not ticked).
//
// e2e_window_text --press TEXT TITLE: clicks the button with that text in a window with that
// title (the installer's folder picker has the main window's title), as a user would.
//
// e2e_window_text --toggle-entry N TITLE: makes entry N of that list its focused
// entry and presses Space on it, as a user would to tick or untick it.
//
// e2e_window_text TITLE: prints the texts of the top-level window with that exact title and of
// its child controls, one "class: text" line each (line breaks shown as "\n"), with
// "class [hidden]: text" for a control that is not visible; a progress bar's text is its
// position, its maximum and its state ("msctls_progress32: 1200/4800 normal"). Exits with 1 when
// no such window exists. The end-to-end test reads the installer's message boxes and its
// progress bar with it, and the demo sees from the hidden button that the run has started.
//
// e2e_window_text --dpi-changed DPI TITLE: tells the window that it moved to a monitor of DPI
// dots per inch (WM_DPICHANGED), suggesting its own place; the message's RECT is put into the
// window's process, as the message carries a pointer to it.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/win32/main_window_layout.h"
#include "app/win32/run_progress_bar.h"

namespace {

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(),
                                                 static_cast<int>(text.size()))));
  return text;
}

std::wstring className(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

// Read across processes: these messages carry no pointers.
std::wstring progressText(HWND bar) {
  const LRESULT position = SendMessageW(bar, PBM_GETPOS, 0, 0);
  const LRESULT maximum = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
  // A control without states (Wine's) shows the error state by its colour.
  const bool error = SendMessageW(bar, PBM_GETSTATE, 0, 0) == PBST_ERROR ||
                     SendMessageW(bar, PBM_GETBARCOLOR, 0, 0) == tarvik::kRunProgressErrorColour;
  const wchar_t* stateName = error ? L"error" : L"normal";
  return std::to_wstring(position) + L"/" + std::to_wstring(maximum) + L" " + stateName;
}

void printLine(HWND window) {
  const bool progressBar = className(window) == PROGRESS_CLASSW;
  std::string text = utf8(progressBar ? progressText(window) : windowText(window));
  std::string shown;
  for (const char c : text) {
    if (c == '\r') continue;
    shown += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  std::printf("%s%s: %s\n", utf8(className(window)).c_str(),
              IsWindowVisible(window) ? "" : " [hidden]", shown.c_str());
}

// An LVITEMW with room for a text, made in the process of a list view of another process: the
// structure that a list view message names must lie in the list view's process.
class RemoteItem {
 public:
  static constexpr int kChars = 1024;

  explicit RemoteItem(HWND list) {
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    process_ =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_)
      remote_ = static_cast<char*>(VirtualAllocEx(process_, nullptr,
                                                  sizeof(LVITEMW) + kChars * sizeof(wchar_t),
                                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  ~RemoteItem() {
    if (remote_) VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteItem(const RemoteItem&) = delete;
  RemoteItem& operator=(const RemoteItem&) = delete;

  bool valid() const { return remote_ != nullptr; }
  // Sends the message with the item, its text pointing at the room after it; reads it back.
  bool send(HWND list, UINT message, WPARAM index, LVITEMW& item, std::wstring* text = nullptr) {
    item.pszText = reinterpret_cast<wchar_t*>(remote_ + sizeof(LVITEMW));
    item.cchTextMax = kChars;
    if (!WriteProcessMemory(process_, remote_, &item, sizeof item, nullptr) ||
        !SendMessageW(list, message, index, reinterpret_cast<LPARAM>(remote_)) ||
        !ReadProcessMemory(process_, remote_, &item, sizeof item, nullptr))
      return false;
    if (!text) return true;
    text->assign(kChars, L'\0');
    if (!ReadProcessMemory(process_, remote_ + sizeof(LVITEMW), text->data(),
                           kChars * sizeof(wchar_t), nullptr))
      return false;
    text->resize(text->find(L'\0'));
    return true;
  }

 private:
  HANDLE process_ = nullptr;
  char* remote_ = nullptr;
};

void printListEntries(HWND list) {
  RemoteItem remote(list);
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; remote.valid() && i < count; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = i;
    item.stateMask = LVIS_STATEIMAGEMASK;
    std::wstring text;
    if (!remote.send(list, LVM_GETITEMW, 0, item, &text)) break;
    const bool ticked = (item.state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    std::printf("%s item: [%s] %s\n", utf8(className(list)).c_str(), ticked ? "x" : " ",
                utf8(text).c_str());
  }
}

bool toggleEntry(HWND list, int index) {
  RemoteItem remote(list);
  LVITEMW item{};
  item.stateMask = item.state = LVIS_FOCUSED | LVIS_SELECTED;
  if (!remote.valid() || !remote.send(list, LVM_SETITEMSTATE, index, item)) return false;
  PostMessageW(list, WM_KEYDOWN, VK_SPACE, 1);
  PostMessageW(list, WM_KEYUP, VK_SPACE, 0xC0000001);
  return true;
}

// The main window's list of display lines, List2, shown or not.
HWND listViewOf(HWND window) {
  return GetDlgItem(window, tarvik::controlNumber(tarvik::ControlId::List2));
}

struct ListSearch {
  std::wstring title;
  HWND found = nullptr;
};

// The window with that title that shows a list view (the installer's hidden folder picker has
// the main window's title too).
BOOL CALLBACK findListWindow(HWND window, LPARAM search) {
  auto& wanted = *reinterpret_cast<ListSearch*>(search);
  if (windowText(window) == wanted.title && listViewOf(window)) wanted.found = window;
  return !wanted.found;
}

struct ButtonSearch {
  std::wstring title;
  std::wstring text;
  HWND found = nullptr;
};

BOOL CALLBACK findButton(HWND window, LPARAM search) {
  auto& wanted = *reinterpret_cast<ButtonSearch*>(search);
  if (windowText(window) != wanted.title) return TRUE;
  for (HWND child = nullptr; (child = FindWindowExW(window, child, L"Button", nullptr));) {
    if (windowText(child) == wanted.text && IsWindowVisible(child)) wanted.found = child;
  }
  return !wanted.found;
}

BOOL CALLBACK printChild(HWND child, LPARAM) {
  printLine(child);
  return TRUE;
}

int sendDpiChanged(HWND window, int dpi) {
  RECT suggested{};
  GetWindowRect(window, &suggested);
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, id);
  void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
  if (!remote || !WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr))
    return 1;
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
  return 0;  // the memory goes with the process
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring(argv[1]) == L"--dpi-changed") {
    const HWND window = FindWindowW(nullptr, argv[3]);
    return window ? sendDpiChanged(window, _wtoi(argv[2])) : 1;
  }
  if (argc == 2 && std::wstring(argv[1]) == L"--can-create-window") {
    const HWND window = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr,
                                        nullptr, nullptr, nullptr);
    return window && DestroyWindow(window) ? 0 : 1;
  }
  if (argc == 4 && std::wstring(argv[1]) == L"--press") {
    ButtonSearch search{argv[3], argv[2]};
    EnumWindows(findButton, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return 1;
    PostMessageW(search.found, BM_CLICK, 0, 0);
    return 0;
  }
  const bool listEntries = argc == 3 && std::wstring(argv[1]) == L"--list-entries";
  const bool toggle = argc == 4 && std::wstring(argv[1]) == L"--toggle-entry";
  if (argc != 2 && !listEntries && !toggle) {
    std::fprintf(stderr, "usage: e2e_window_text [--list-entries | --toggle-entry N | --press "
                         "TEXT | --dpi-changed DPI] TITLE | --can-create-window\n");
    return 2;
  }
  const wchar_t* title = argv[argc - 1];
  ListSearch search{title};
  if (listEntries || toggle) EnumWindows(findListWindow, reinterpret_cast<LPARAM>(&search));
  const HWND window = search.found ? search.found : FindWindowW(nullptr, title);
  if (!window) {
    std::fprintf(stderr, "e2e_window_text: no window titled %s\n", utf8(title).c_str());
    return 1;
  }
  if (toggle) return toggleEntry(listViewOf(window), _wtoi(argv[2])) ? 0 : 1;
  if (listEntries) {
    printListEntries(listViewOf(window));
  } else {
    printLine(window);
    EnumChildWindows(window, printChild, 0);
  }
  std::fflush(stdout);
  return 0;
}
