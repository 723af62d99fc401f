#include "app/win32/window_fonts.h"

#include <cwchar>

#include "app/win32/twips.h"

namespace tarvik {

FontSpec fontSpec(FontKind kind) {
  switch (kind) {
    case FontKind::SansSerif12:
      return {L"MS Sans Serif", 1200, false};
    case FontKind::SansSerif135Bold:
      return {L"MS Sans Serif", 1350, true};
    case FontKind::Arial975:
      return {L"Arial", 975, false};
    case FontKind::SansSerif825:
      break;
  }
  return {L"MS Sans Serif", 825, false};
}

namespace {

UniqueFont createFont(const FontSpec& wanted, int dpi) {
  LOGFONTW font{};
  font.lfHeight = fontHeight(wanted.hundredthsOfPoint, dpi);
  font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  wcsncpy(font.lfFaceName, wanted.face, LF_FACESIZE - 1);
  return UniqueFont(CreateFontIndirectW(&font));
}

}  // namespace

WindowFonts::WindowFonts(int dpi) {
  for (std::size_t kind = 0; kind < fonts_.size(); ++kind)
    fonts_[kind] = createFont(fontSpec(static_cast<FontKind>(kind)), dpi);
}

}  // namespace tarvik
