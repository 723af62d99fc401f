#pragma once
// What the windows ask of the system beyond drawing: message boxes, questions and the end of
// the program.
// The program uses the system's; tests record the calls instead of blocking or exiting.

#include <windows.h>

#include <functional>
#include <string>

#include "platform/window_controls.h"

namespace tarvik {

struct WindowServices {
  // Shows a message box (MessageBoxW's owner, text, title and style) and returns when the user
  // has dismissed it.
  std::function<void(HWND owner, const std::wstring& text, const std::wstring& title, UINT style)>
      messageBox;
  // Asks the question of an update that cannot start yet (retry_question.h).
  std::function<RetryAnswer(HWND owner, const std::wstring& text, const std::wstring& title,
                            bool offerAdministrator)>
      askRetry;
  // Ends the process at once with the exit code given.
  std::function<void(int exitCode)> endProgram;
};

WindowServices systemWindowServices();

}  // namespace tarvik
