// e2e_window_text --can-create-window: exits with 0 when this Wine session can make a window on
// its display, which the end-to-end test checks before it starts the installer.
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
  if (argc != 2) {
    std::fprintf(stderr, "usage: e2e_window_text TITLE | --can-create-window\n");
    return 2;
  }
  const HWND window = FindWindowW(nullptr, argv[1]);
  if (!window) {
    std::fprintf(stderr, "e2e_window_text: no window titled %s\n", utf8(argv[1]).c_str());
    return 1;
  }
  printLine(window);
  EnumChildWindows(window, printChild, 0);
  std::fflush(stdout);
  return 0;
}
