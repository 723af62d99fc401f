#include "app/win32/message_loop.h"

#include <algorithm>
#include <vector>

namespace tarvik {
namespace {

// All windows live on the one user-interface thread.
std::vector<HWND>& dialogKeyWindows() {
  static std::vector<HWND> windows;
  return windows;
}

}  // namespace

void registerDialogKeys(HWND window) { dialogKeyWindows().push_back(window); }

void unregisterDialogKeys(HWND window) { std::erase(dialogKeyWindows(), window); }

void dispatchQueuedMessage(MSG& message) {
  // A copy: handling the message may open or close windows.
  const std::vector<HWND> windows = dialogKeyWindows();
  for (HWND window : windows) {
    if (IsDialogMessageW(window, &message)) return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

bool processPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    dispatchQueuedMessage(message);
  }
  return true;
}

int runMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) dispatchQueuedMessage(message);
  return static_cast<int>(message.wParam);
}

}  // namespace tarvik
