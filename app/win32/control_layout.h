#pragma once
// A window's layout as a table: one row per control with its kind, text, position and size in
// twips, font, text colour, visibility at start and tab index. createControls turns a table
// into child windows at a DPI, layOutControls lays them out again at another.

#include <windows.h>

#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "app/win32/window_fonts.h"

namespace tarvik {

enum class ControlKind {
  PushButton,
  DefaultPushButton,
  Picture,        // a bordered box that shows a picture from its top-left corner
  Label,          // static text on the window's colour
  CheckList,      // list view, one check box per entry
  DriveList,      // drop-down list of the machine's drives
  DirectoryList,  // list box of the folders of one folder
  FileList,       // list box of the files of one folder
};

// The system's text colour.
constexpr COLORREF kDefaultTextColour = CLR_INVALID;

struct ControlRow {
  int id;
  ControlKind kind;
  std::string_view text;
  int left;
  int top;
  int width;
  int height;
  FontKind font;
  COLORREF textColour;
  bool shownAtStart;
  int tabIndex;
};

// Creates the controls of a table in tab order, so that Tab visits them in that order, then puts
// the labels and pictures below the other controls, as they are only painted on the window.
// A label whose text does not fit its box in its font gets the font smaller. Returns the
// controls' handles in the table's order.
std::vector<HWND> createControls(HWND parent, std::span<const ControlRow> layout,
                                 WindowFonts& fonts, int dpi);

// Moves and sizes the controls of a table, made by createControls, for another DPI, and gives
// them the table's fonts at that DPI (fonts made for it); a label's font is fitted again.
void layOutControls(std::span<const HWND> controls, std::span<const ControlRow> layout,
                    WindowFonts& fonts, int dpi);

// The window rectangle of a window whose client area measures the given twips, its frame at
// the DPI too.
SIZE windowSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style,
                         DWORD extendedStyle, int dpi);

// Lays a window out again for the DPI of the monitor Windows moved it to (WM_DPICHANGED): its
// controls from the table with fonts of that DPI, which take the place of `fonts` once no
// control uses the old ones, and the window at topLeft with its client area's size in twips.
void changeWindowDpi(HWND window, std::span<const HWND> controls,
                     std::span<const ControlRow> layout, SIZE clientTwips,
                     std::unique_ptr<WindowFonts>& fonts, int dpi, POINT topLeft);

}  // namespace tarvik
