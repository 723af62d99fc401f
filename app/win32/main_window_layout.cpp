#include "app/win32/main_window_layout.h"

#include <array>
#include <stdexcept>

#include "app/installer_texts.h"

namespace tarvik {
namespace {

constexpr int n(ControlId control) { return controlNumber(control); }

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kDarkOrange = RGB(192, 64, 0);
constexpr COLORREF kDefault = kDefaultTextColour;

using K = ControlKind;
using F = FontKind;
using C = ControlId;

// clang-format off
constexpr std::array<ControlRow, 14> kLayout{{
  // id             kind                  text               left  top   width height font                  colour       shown  tab
  {n(C::Command1),  K::DefaultPushButton, kInstallButton,    8280, 3720, 2175,  375, F::SansSerif825,     kDefault,    true,   0},
  {n(C::Picture1),  K::Picture,           "",                 120,  120, 1860, 3960, F::SansSerif825,     kDefault,    true,   1},
  {n(C::Label1),    K::Label,             kLabel1,           4200,  240, 3975,  375, F::SansSerif12,      kDefault,    true,   2},
  {n(C::Label2),    K::Label,             kLabel2,           2160, 1680,  615,  255, F::SansSerif825,     kDefault,    true,   3},
  {n(C::List1),     K::CheckList,         "",                2160, 1920, 5055, 1410, F::SansSerif825,     kDefault,    false,  4},
  {n(C::Label3),    K::Label,             kLabel3,           2760, 1680,  975,  255, F::SansSerif825,     kBlue,       true,   5},
  {n(C::Label4),    K::Label,             kLabel4,           3840, 1680,  255,  255, F::SansSerif825,     kDefault,    true,   6},
  {n(C::Label5),    K::Label,             kLabel5,           4080, 1680,  975,  255, F::SansSerif825,     kBlue,       true,   7},
  {n(C::Label6),    K::Label,             kLabel6,           5160, 1680,  255,  255, F::SansSerif825,     kDefault,    true,   8},
  {n(C::Label7),    K::Label,             kLabel7,           4080, 2400, 5055,  375, F::SansSerif135Bold, kDarkOrange, false,  9},
  {n(C::List2),     K::CheckList,         "",                2160, 1920, 8415, 1410, F::SansSerif825,     kDefault,    true,  10},
  {n(C::Label8),    K::Label,             kLabel8,           2640,  600, 7455,  375, F::SansSerif12,      kDefault,    true,  11},
  {n(C::Label9),    K::Label,             "",                2400, 2880, 8175,  255, F::Arial975,         kDarkOrange, true,  12},
  {n(C::AddFolder), K::PushButton,        kAddFolderButton,  2160, 3720, 2175,  375, F::SansSerif825,     kDefault,    true,  13},
}};
// clang-format on

}  // namespace

std::span<const ControlRow> mainWindowLayout() { return kLayout; }

const ControlRow& mainWindowRow(ControlId control) {
  for (const ControlRow& row : kLayout) {
    if (row.id == controlNumber(control)) return row;
  }
  throw std::out_of_range("no such control");
}

}  // namespace tarvik
