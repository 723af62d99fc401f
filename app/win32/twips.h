#pragma once
// Window geometry is kept in twips (1/1440 inch) and turned into pixels at the screen's DPI.

namespace tarvik {

constexpr int kTwipsPerInch = 1440;

// The screen's logical DPI (96 at 100 per cent).
int screenDpi();

int twipsToPixels(int twips, int dpi);

// A font's height in points times 100 (825 for 8.25 pt) as a LOGFONT height: negative, in
// pixels of character height.
int fontHeight(int hundredthsOfPoint, int dpi);

}  // namespace tarvik
