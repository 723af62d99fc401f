#pragma once
// Window geometry is kept in twips (1/1440 inch) and turned into pixels at a window's DPI.

#include <windows.h>

namespace tarvik {

constexpr int kTwipsPerInch = 1440;

// The screen's logical DPI (96 at 100 per cent): the system's, at which a window is made.
int screenDpi();

// The DPI of the monitor a window is on, where Windows tells it per window (Windows 10 1607 and
// later, for a program aware of each monitor's DPI); else the screen's.
int windowDpi(HWND window);

// Whether the window follows each monitor's DPI itself (WM_DPICHANGED is then its to handle);
// a window of a program aware of the system's DPI only is scaled by Windows instead.
bool followsMonitorDpi(HWND window);

// AdjustWindowRectEx with the frame at the DPI, where Windows can tell (AdjustWindowRectExForDpi).
void adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD extendedStyle, int dpi);

int twipsToPixels(int twips, int dpi);

// A font's height in points times 100 (825 for 8.25 pt) as a LOGFONT height: negative, in
// pixels of character height.
int fontHeight(int hundredthsOfPoint, int dpi);

}  // namespace tarvik
