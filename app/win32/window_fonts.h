#pragma once
// The fonts of the installer's windows, created once per window at the screen's DPI. A named
// face that is not installed (a Wine prefix without Windows' fonts) is replaced by the system's
// message font at the same size, whose metrics fit the controls, rather than left to the font
// mapper's choice of some wider face.

#include <windows.h>

#include <array>
#include <string>

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

// The face itself when a font of that face is installed, else the message font's face.
std::wstring installedFaceOr(const wchar_t* face);

class WindowFonts {
 public:
  explicit WindowFonts(int dpi);
  HFONT get(FontKind kind) const { return fonts_[static_cast<std::size_t>(kind)].get(); }

 private:
  std::array<UniqueFont, 4> fonts_;
};

}  // namespace tarvik
