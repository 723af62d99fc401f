#include "app/win32/window_fonts.h"

#include <cwchar>

#include "app/win32/twips.h"

namespace tarvik {

FontSpec fontSpec(FontKind kind, int dpi) {
  const wchar_t* sansSerif = dpi > 96 ? L"Microsoft Sans Serif" : L"MS Sans Serif";
  switch (kind) {
    case FontKind::SansSerif12:
      return {sansSerif, 1200, false};
    case FontKind::SansSerif135Bold:
      return {sansSerif, 1350, true};
    case FontKind::Arial975:
      return {L"Arial", 975, false};
    case FontKind::SansSerif825:
      break;
  }
  return {sansSerif, 825, false};
}

namespace {

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

}  // namespace

std::wstring installedFaceOr(const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  const ScreenDc screen;
  EnumFontFamiliesExW(screen.get(), &wanted, noteFound, reinterpret_cast<LPARAM>(&found), 0);
  if (found) return face;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  return metrics.lfMessageFont.lfFaceName;
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
  wcsncpy(font.lfFaceName, installedFaceOr(wanted.face).c_str(), LF_FACESIZE - 1);
  return UniqueFont(CreateFontIndirectW(&font));
}

}  // namespace

WindowFonts::WindowFonts(int dpi) {
  for (std::size_t kind = 0; kind < fonts_.size(); ++kind)
    fonts_[kind] = createFont(fontSpec(static_cast<FontKind>(kind), dpi), dpi);
}

bool labelTextFits(HWND label, HFONT font) {
  RECT box{};
  GetClientRect(label, &box);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(label, text.data(),
                                                      static_cast<int>(text.size()))));
  const ScreenDc screen;
  const HGDIOBJ previous = SelectObject(screen.get(), font);
  RECT needed{0, 0, box.right, 0};
  DrawTextW(screen.get(), text.c_str(), static_cast<int>(text.size()), &needed,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(screen.get(), previous);
  // A line that fills the box would touch the label beside it.
  constexpr LONG kClearance = 3;
  return needed.bottom <= box.bottom && needed.right + kClearance <= box.right;
}

void WindowFonts::fitLabelFont(HWND label) {
  const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
  if (!font || labelTextFits(label, font)) return;
  LOGFONTW smaller{};
  GetObjectW(font, sizeof(smaller), &smaller);
  constexpr LONG kSmallest = 8;
  while (-smaller.lfHeight > kSmallest) {
    ++smaller.lfHeight;  // negative: one pixel less
    UniqueFont candidate(CreateFontIndirectW(&smaller));
    if (!candidate) return;
    const bool fits = labelTextFits(label, candidate.get());
    if (fits || -smaller.lfHeight == kSmallest) {
      SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(candidate.get()), FALSE);
      fitted_.push_back(std::move(candidate));
      return;
    }
  }
}

}  // namespace tarvik
