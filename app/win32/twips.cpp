#include "app/win32/twips.h"

#include <windows.h>

#include "app/win32/gdi_handles.h"

namespace tarvik {

int screenDpi() {
  ScreenDc screen;
  return GetDeviceCaps(screen.get(), LOGPIXELSX);
}

namespace {

// user32 is mapped into every program with a window; these entry points are newer than some of
// the Windows versions the program runs on.
template <typename Function>
Function user32Entry(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

int windowDpi(HWND window) {
  static const auto getDpiForWindow = user32Entry<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : screenDpi();
}

bool followsMonitorDpi(HWND window) {
  using Context = HANDLE;  // DPI_AWARENESS_CONTEXT
  constexpr int kPerMonitorAware = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE
  static const auto contextOf =
      user32Entry<Context(WINAPI*)(HWND)>("GetWindowDpiAwarenessContext");
  static const auto awarenessOf =
      user32Entry<int(WINAPI*)(Context)>("GetAwarenessFromDpiAwarenessContext");
  return contextOf && awarenessOf && awarenessOf(contextOf(window)) == kPerMonitorAware;
}

void adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD extendedStyle, int dpi) {
  static const auto adjustForDpi =
      user32Entry<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, extendedStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&rect, style, FALSE, extendedStyle);
}

int twipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, kTwipsPerInch); }

int fontHeight(int hundredthsOfPoint, int dpi) { return -MulDiv(hundredthsOfPoint, dpi, 7200); }

}  // namespace tarvik
