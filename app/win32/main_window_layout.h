#pragma once
// The main window's size and controls.

#include <span>

#include "app/win32/control_layout.h"
#include "platform/window_controls.h"

namespace tarvik {

constexpr int kMainClientWidth = 10680;  // twips
constexpr int kMainClientHeight = 4215;

// The child window number of a control of the main window.
constexpr int controlNumber(ControlId control) { return 1000 + static_cast<int>(control); }

// The fourteen controls, in tab order.
std::span<const ControlRow> mainWindowLayout();

const ControlRow& mainWindowRow(ControlId control);

}  // namespace tarvik
