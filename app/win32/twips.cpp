#include "app/win32/twips.h"

#include <windows.h>

#include "app/win32/gdi_handles.h"

namespace tarvik {

int screenDpi() {
  ScreenDc screen;
  return GetDeviceCaps(screen.get(), LOGPIXELSX);
}

int twipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, kTwipsPerInch); }

int fontHeight(int hundredthsOfPoint, int dpi) { return -MulDiv(hundredthsOfPoint, dpi, 7200); }

}  // namespace tarvik
