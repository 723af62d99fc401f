#pragma once
// The windows' handlers have no error trap of their own: a failure that reaches one shows the
// run-time error report and ends the program.

#include <functional>

#include "platform/window_controls.h"

namespace tarvik {

void runHandler(WindowControls& controls, const std::function<void()>& handler);

}  // namespace tarvik
