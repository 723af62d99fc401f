#include "app/win32/folder_picker_layout.h"

#include <array>
#include <stdexcept>

#include "app/installer_texts.h"

namespace tarvik {
namespace {

constexpr int n(PickerControl control) { return static_cast<int>(control); }

using K = ControlKind;
using P = PickerControl;
constexpr FontKind kFont = FontKind::SansSerif825;
constexpr COLORREF kDefault = kDefaultTextColour;

// clang-format off
constexpr std::array<ControlRow, 7> kLayout{{
  // id                 kind                   text           left  top   width height font   colour    shown tab
  {n(P::Dir1),          K::DirectoryList,      "",            2070,  420, 3195, 2790, kFont, kDefault, true, 0},
  {n(P::cmdselecteer),  K::PushButton,         kPickerSelect, 5400, 2580, 2115,  465, kFont, kDefault, true, 1},
  {n(P::cmdAnnuleer),   K::PushButton,         kPickerCancel, 5400, 3060, 2115,  465, kFont, kDefault, true, 2},
  {n(P::File1),         K::FileList,           "",            5370,  480, 2925, 1650, kFont, kDefault, true, 3},
  {n(P::Drive1),        K::DriveList,          "",            2070, 3330, 3195,  315, kFont, kDefault, true, 4},
  {n(P::Label1),        K::Label,              kPickerPrompt, 2160,  120, 2895,  585, kFont, kDefault, true, 5},
  {n(P::Picture1),      K::Picture,            "",             150,   90, 1845, 3585, kFont, kDefault, true, 6},
}};
// clang-format on

}  // namespace

std::span<const ControlRow> folderPickerLayout() { return kLayout; }

const ControlRow& folderPickerRow(PickerControl control) {
  for (const ControlRow& row : kLayout) {
    if (row.id == static_cast<int>(control)) return row;
  }
  throw std::out_of_range("no such control");
}

}  // namespace tarvik
