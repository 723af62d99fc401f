// e2e_window_text --can-create-window: exits with 0 when this Wine session can make a window on
// its display, which the end-to-end test checks before it starts the installer.
//
// e2e_window_text --list-entries TITLE: prints the entries of the window's list views, one
// "class item: [x] text" line each ("[ ]" for an entry that is not ticked).
//
// e2e_window_text TITLE: prints the texts of the top-level window with that exact title and of
// its child controls, one "class: text" line each (line breaks shown as "\n"), with
// "class [hidden]: text" for a control that is not visible; a progress bar's text is its
// position, its maximum and its state ("msctls_progress32: 1200/4800 normal"). Exits with 1 when
// no such window exists. The end-to-end test reads the installer's message boxes and its
// progress bar with it, and the demo sees from the hidden button that the run has started.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

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

// The entries of a list view of another process: the LVITEMW and the text buffer that each
// message names must lie in that process, so they are made there.
void printListEntries(HWND list) {
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  const HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return;
  constexpr int kChars = 1024;
  auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr,
                                                   sizeof(LVITEMW) + kChars * sizeof(wchar_t),
                                                   MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; remote && i < count; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = i;
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    item.cchTextMax = kChars;
    std::wstring text(kChars, L'\0');
    if (!WriteProcessMemory(process, remote, &item, sizeof item, nullptr) ||
        !SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote)) ||
        !ReadProcessMemory(process, remote, &item, sizeof item, nullptr) ||
        !ReadProcessMemory(process, remote + sizeof(LVITEMW), text.data(),
                           kChars * sizeof(wchar_t), nullptr))
      break;
    text.resize(text.find(L'\0'));
    const bool ticked = (item.state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    std::printf("%s item: [%s] %s\n", utf8(className(list)).c_str(), ticked ? "x" : " ",
                utf8(text).c_str());
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
}

BOOL CALLBACK printChild(HWND child, LPARAM) {
  printLine(child);
  return TRUE;
}

BOOL CALLBACK printListViewEntries(HWND child, LPARAM) {
  if (className(child) == WC_LISTVIEWW) printListEntries(child);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"--can-create-window") {
    const HWND window = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr,
                                        nullptr, nullptr, nullptr);
    return window && DestroyWindow(window) ? 0 : 1;
  }
  const bool listEntries = argc == 3 && std::wstring(argv[1]) == L"--list-entries";
  if (argc != 2 && !listEntries) {
    std::fprintf(stderr,
                 "usage: e2e_window_text [--list-entries] TITLE | --can-create-window\n");
    return 2;
  }
  const wchar_t* title = argv[argc - 1];
  const HWND window = FindWindowW(nullptr, title);
  if (!window) {
    std::fprintf(stderr, "e2e_window_text: no window titled %s\n", utf8(title).c_str());
    return 1;
  }
  if (listEntries) {
    EnumChildWindows(window, printListViewEntries, 0);
  } else {
    printLine(window);
    EnumChildWindows(window, printChild, 0);
  }
  std::fflush(stdout);
  return 0;
}
