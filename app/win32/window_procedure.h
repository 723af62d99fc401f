#pragma once
// One window procedure per window class, forwarding to the member function handleMessage of
// the object passed to CreateWindowEx as its creation parameter.

#include <windows.h>

namespace tarvik {

template <class Window>
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* owner = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!owner) return DefWindowProcW(window, message, wParam, lParam);
  const LRESULT result = owner->handleMessage(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  return result;
}

// Registers a window class of this program once; later calls find it registered.
void registerWindowClass(const wchar_t* name, WNDPROC procedure);

}  // namespace tarvik
