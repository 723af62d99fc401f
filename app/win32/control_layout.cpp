#include "app/win32/control_layout.h"

#include <commctrl.h>

#include "app/win32/twips.h"
#include "platform/win32/wide_text.h"

namespace tarvik {
namespace {

struct WindowKind {
  const wchar_t* className;
  DWORD style;
  DWORD extendedStyle;
};

WindowKind windowKind(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton:
      return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::DefaultPushButton:
      return {WC_BUTTONW, BS_DEFPUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::Picture:
      return {WC_STATICW, SS_OWNERDRAW, WS_EX_CLIENTEDGE};
    case ControlKind::Label:
      return {WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::CheckList:
      return {WC_LISTVIEWW,
              LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                  LVS_SHOWSELALWAYS | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case ControlKind::DriveList:
      return {WC_COMBOBOXW, CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::DirectoryList:
    case ControlKind::FileList:
      return {
          WC_LISTBOXW,
          LBS_NOTIFY | LBS_SORT | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
          WS_EX_CLIENTEDGE};
  }
  return {WC_STATICW, 0, 0};
}

bool paintedOnWindow(ControlKind kind) {
  return kind == ControlKind::Label || kind == ControlKind::Picture;
}

// A drop-down list's height includes its list; the box itself takes the height of its font.
int createdHeight(const ControlRow& row, int dpi) {
  const int height = twipsToPixels(row.height, dpi);
  return row.kind == ControlKind::DriveList ? height * 8 : height;
}

// The list's owner holds the entries' texts and ticks (ListViewCheckList): the control asks for
// the check box's state image along with the text.
void setUpCheckList(HWND list) {
  ListView_SetExtendedListViewStyleEx(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                                      LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  ListView_SetCallbackMask(list, LVIS_STATEIMAGEMASK);
  RECT client{};
  GetClientRect(list, &client);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = client.right;
  ListView_InsertColumn(list, 0, &column);
}

HWND createControl(HWND parent, const ControlRow& row, const WindowFonts& fonts, int dpi) {
  const WindowKind kind = windowKind(row.kind);
  const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style | (row.shownAtStart ? WS_VISIBLE : 0);
  const std::wstring text = widen(row.text);
  HWND control = CreateWindowExW(
      kind.extendedStyle, kind.className, text.c_str(), style, twipsToPixels(row.left, dpi),
      twipsToPixels(row.top, dpi), twipsToPixels(row.width, dpi), createdHeight(row, dpi), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.get(row.font)), FALSE);
  if (row.kind == ControlKind::CheckList) setUpCheckList(control);
  return control;
}

}  // namespace

std::vector<HWND> createControls(HWND parent, std::span<const ControlRow> layout,
                                 WindowFonts& fonts, int dpi) {
  std::vector<HWND> controls;
  for (const ControlRow& row : layout) {
    controls.push_back(createControl(parent, row, fonts, dpi));
    if (row.kind == ControlKind::Label) fonts.fitLabelFont(controls.back());
  }
  for (std::size_t i = 0; i < layout.size(); ++i) {
    if (paintedOnWindow(layout[i].kind))
      SetWindowPos(controls[i], HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
  }
  return controls;
}

void layOutControls(std::span<const HWND> controls, std::span<const ControlRow> layout,
                    WindowFonts& fonts, int dpi) {
  for (std::size_t i = 0; i < layout.size() && i < controls.size(); ++i) {
    const ControlRow& row = layout[i];
    SetWindowPos(controls[i], nullptr, twipsToPixels(row.left, dpi), twipsToPixels(row.top, dpi),
                 twipsToPixels(row.width, dpi), createdHeight(row, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(fonts.get(row.font)), TRUE);
    if (row.kind == ControlKind::Label) fonts.fitLabelFont(controls[i]);
  }
}

SIZE windowSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style,
                         DWORD extendedStyle, int dpi) {
  RECT rect{0, 0, twipsToPixels(clientWidthTwips, dpi), twipsToPixels(clientHeightTwips, dpi)};
  adjustWindowRectForDpi(rect, style, extendedStyle, dpi);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void changeWindowDpi(HWND window, std::span<const HWND> controls,
                     std::span<const ControlRow> layout, SIZE clientTwips,
                     std::unique_ptr<WindowFonts>& fonts, int dpi, POINT topLeft) {
  auto fresh = std::make_unique<WindowFonts>(dpi);
  layOutControls(controls, layout, *fresh, dpi);
  fonts = std::move(fresh);
  const SIZE size = windowSizeForClient(
      clientTwips.cx, clientTwips.cy, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)),
      static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)), dpi);
  SetWindowPos(window, nullptr, topLeft.x, topLeft.y, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The frame is the system's to draw at the DPI it keeps for the window; the client area is
  // the table's.
  RECT client{};
  GetClientRect(window, &client);
  const int wider = twipsToPixels(clientTwips.cx, dpi) - client.right;
  const int taller = twipsToPixels(clientTwips.cy, dpi) - client.bottom;
  if (wider != 0 || taller != 0)
    SetWindowPos(window, nullptr, 0, 0, size.cx + wider, size.cy + taller,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window, nullptr, TRUE);
}

}  // namespace tarvik
