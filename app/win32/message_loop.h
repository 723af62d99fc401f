#pragma once
// The message loop of the installer's windows. Windows registered for dialog keys get Tab,
// Shift+Tab, Enter, Esc and the arrow keys handled as in a dialog box.

#include <windows.h>

namespace tarvik {

void registerDialogKeys(HWND window);
void unregisterDialogKeys(HWND window);

// Hands one message to its window.
void dispatchQueuedMessage(MSG& message);

// Handles every message that is waiting, then returns. A quit message is put back for the
// outer loop; the result is then false.
bool processPendingMessages();

// Runs until a quit message arrives; returns its exit code.
int runMessageLoop();

}  // namespace tarvik
