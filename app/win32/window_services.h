#pragma once
// What the windows ask of the system beyond drawing: message boxes and the end of the program.
// The program uses the system's; tests record the calls instead of blocking or exiting.

#include <windows.h>

#include <functional>
#include <string>

namespace tarvik {

struct WindowServices {
  // Shows a message box (MessageBoxW's owner, text, title and style) and returns when the user
  // has dismissed it.
  std::function<void(HWND owner, const std::wstring& text, const std::wstring& title, UINT style)>
      messageBox;
  // Ends the process at once.
  std::function<void()> endProgram;
};

WindowServices systemWindowServices();

}  // namespace tarvik
