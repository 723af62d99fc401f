#pragma once
// The folder picker's size and controls.

#include <span>

#include "app/win32/control_layout.h"

namespace tarvik {

constexpr int kPickerClientWidth = 8490;  // twips
constexpr int kPickerClientHeight = 3825;

// The child window numbers of the picker's controls.
enum class PickerControl {
  Dir1 = 2000,
  cmdselecteer,
  cmdAnnuleer,
  File1,
  Drive1,
  Label1,
  Picture1,
};

// The seven controls, in tab order.
std::span<const ControlRow> folderPickerLayout();

const ControlRow& folderPickerRow(PickerControl control);

}  // namespace tarvik
