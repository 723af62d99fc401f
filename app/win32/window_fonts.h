#pragma once
// The fonts of the installer's windows, created once per window at the screen's DPI. A named
// face that is not installed (a Wine prefix without Windows' fonts) is replaced by the system's
// message font at the same size, rather than left to the font mapper's choice of some wider
// face. Where even that face is missing, a label whose text would not fit its box in the face
// the mapper chose gets it a few pixels smaller (fitLabelFont), so that its whole text shows.

#include <windows.h>

#include <array>
#include <string>
#include <vector>

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

// The font of a kind at a DPI. "MS Sans Serif" is a bitmap font drawn for 96 DPI, jagged when
// scaled; above 96 DPI the TrueType "Microsoft Sans Serif" of the same design and size takes
// its place.
FontSpec fontSpec(FontKind kind, int dpi);

// The face itself when a font of that face is installed, else the message font's face.
std::wstring installedFaceOr(const wchar_t* face);

class WindowFonts {
 public:
  explicit WindowFonts(int dpi);
  HFONT get(FontKind kind) const { return fonts_[static_cast<std::size_t>(kind)].get(); }

  // Gives the label the largest size of its font, down to 8 pixels, at which its text fits its
  // box without running past it; a label that fits keeps its font.
  void fitLabelFont(HWND label);

 private:
  std::array<UniqueFont, 4> fonts_;
  std::vector<UniqueFont> fitted_;
};

// Whether the label's text, broken into lines at its width, fits its box in the font.
bool labelTextFits(HWND label, HFONT font);

}  // namespace tarvik
