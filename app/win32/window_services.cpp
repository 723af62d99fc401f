#include "app/win32/window_services.h"

#include "app/win32/retry_question.h"

namespace tarvik {

WindowServices systemWindowServices() {
  return {
      [](HWND owner, const std::wstring& text, const std::wstring& title, UINT style) {
        MessageBoxW(owner, text.c_str(), title.c_str(), style);
      },
      askRetryQuestion,
      [](int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); },
  };
}

}  // namespace tarvik
