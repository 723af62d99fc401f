#include "app/win32/run_progress_bar.h"

#include <commctrl.h>

#include <climits>

#include "app/win32/twips.h"
#include "platform/win32/system_library.h"

namespace tarvik {
namespace {

// Left, top, width and height in twips: under Label9, as wide as it, where the install button
// stood.
constexpr int kLeft = 2400;
constexpr int kTop = 3240;
constexpr int kWidth = 8175;
constexpr int kHeight = 255;

// Takes the control's visual style away. uxtheme is no DLL that Windows always maps from its
// system folder, so it is loaded from there when it is needed; without it there is no style.
void dropVisualStyle(HWND control) {
  using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  const SystemLibrary themes(L"uxtheme.dll");
  if (const auto setWindowTheme = themes.entry<SetWindowThemeFunction>("SetWindowTheme"))
    setWindowTheme(control, L" ", L" ");
}

// How far a byte count is shifted right to fit the bar's range.
int rangeShift(uint64_t total) {
  int shift = 0;
  while ((total >> shift) > static_cast<uint64_t>(INT_MAX)) ++shift;
  return shift;
}

}  // namespace

void RunProgressBar::create(HWND window, int dpi) {
  window_ = window;
  bar_ = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_CLIPSIBLINGS | PBS_SMOOTH, 0,
                         0, 0, 0, window,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRunProgressBarId)),
                         GetModuleHandleW(nullptr), nullptr);
  place(dpi);
}

void RunProgressBar::place(int dpi) {
  SetWindowPos(bar_, nullptr, twipsToPixels(kLeft, dpi), twipsToPixels(kTop, dpi),
               twipsToPixels(kWidth, dpi), twipsToPixels(kHeight, dpi),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void RunProgressBar::show(uint64_t done, uint64_t total) {
  const int shift = rangeShift(total);
  SendMessageW(bar_, PBM_SETRANGE32, 0, static_cast<LPARAM>(total >> shift));
  SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(done >> shift), 0);
  if (!shown_) {
    shown_ = true;
    ShowWindow(bar_, SW_SHOWNA);
    connectTaskbar();
  }
  if (taskbar_) taskbar_->SetProgressValue(window_, done, total);
}

void RunProgressBar::showFailed() {
  if (!shown_) return;
  SendMessageW(bar_, PBM_SETSTATE, PBST_ERROR, 0);
  // A progress control without states (Wine's, or one without visual styles) shows the error
  // by its bar's colour, which only its classic drawing uses: a visual style would ignore it.
  // A class list of one blank names no style (Wine takes an empty one for no change).
  if (SendMessageW(bar_, PBM_GETSTATE, 0, 0) != PBST_ERROR) {
    dropVisualStyle(bar_);
    SendMessageW(bar_, PBM_SETBARCOLOR, 0, kRunProgressErrorColour);
  }
  if (taskbar_) taskbar_->SetProgressState(window_, TBPF_ERROR);
  UpdateWindow(bar_);
}

// Without the taskbar list (an older Windows, or Wine without it) the bar alone shows the run.
void RunProgressBar::connectTaskbar() {
  com_ = std::make_unique<ComUse>();
  void* list = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                              &list)))
    return;
  taskbar_.reset(static_cast<ITaskbarList3*>(list));
  if (FAILED(taskbar_->HrInit())) return taskbar_.reset();
  taskbar_->SetProgressState(window_, TBPF_NORMAL);
}

}  // namespace tarvik
