#pragma once
// The fonts of the installer's windows, created once per window at the screen's DPI.

#include <windows.h>

#include <array>

#include "app/win32/gdi_handles.h"

namespace tarvik {

enum class FontKind {
  SansSerif825,      // MS Sans Serif 8.25 pt, the default
  SansSerif12,       // MS Sans Serif 12 pt
  SansSerif135Bold,  // MS Sans Serif 13.5 pt bold
  Arial975,          // Arial 9.75 pt
};

struct FontSpec {
  const wchar_t* face;
  int hundredthsOfPoint;
  bool bold;
};

FontSpec fontSpec(FontKind kind);

class WindowFonts {
 public:
  explicit WindowFonts(int dpi);
  HFONT get(FontKind kind) const { return fonts_[static_cast<std::size_t>(kind)].get(); }

 private:
  std::array<UniqueFont, 4> fonts_;
};

}  // namespace tarvik
