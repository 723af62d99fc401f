#include "app/win32/window_services.h"

namespace tarvik {

WindowServices systemWindowServices() {
  return {
      [](HWND owner, const std::wstring& text, const std::wstring& title, UINT style) {
        MessageBoxW(owner, text.c_str(), title.c_str(), style);
      },
      [] { ExitProcess(0); },
  };
}

}  // namespace tarvik
