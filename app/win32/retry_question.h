#pragma once
// The question shown when an update cannot start yet: a warning with Retry and Cancel, and
// where asked for, a button that starts the installer again with administrator rights.

#include <windows.h>

#include <string>

#include "platform/window_controls.h"

namespace tarvik {

RetryAnswer askRetryQuestion(HWND owner, const std::wstring& text, const std::wstring& title,
                             bool offerAdministrator);

}  // namespace tarvik
