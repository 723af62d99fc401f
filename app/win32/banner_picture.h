#pragma once
// The 120 x 260 banner that the main window and the folder picker show.

#include <windows.h>

#include <cstddef>

#include "app/win32/gdi_handles.h"

namespace tarvik {

// A bitmap made from the bytes of a .bmp file (file header, bitmap header, colour table, pixel
// rows, uncompressed); null when the bytes are not such a file.
UniqueBitmap bitmapFromBmpFile(const unsigned char* bytes, std::size_t size);

UniqueBitmap loadBannerPicture();

// Fills the box with the window colour and paints the picture at its top-left corner, pixel for
// pixel at 96 DPI and scaled with the DPI otherwise; what does not fit in the box is cut off.
void drawPicture(HDC dc, const RECT& box, HBITMAP picture, int dpi);

}  // namespace tarvik
