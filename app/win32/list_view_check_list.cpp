#include "app/win32/list_view_check_list.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/runtime_error.h"
#include "platform/win32/wide_text.h"

namespace tarvik {

int ListViewCheckList::count() const { return ListView_GetItemCount(list_); }

void ListViewCheckList::addItem(const std::string& text) {
  std::wstring wide = widen(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = count();
  item.pszText = wide.data();
  if (ListView_InsertItem(list_, &item) < 0) throw RuntimeError(7, "Out of memory");
}

std::string ListViewCheckList::text(int index) const {
  checkIndex(index);
  std::wstring buffer(256, L'\0');
  while (true) {
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto length = static_cast<std::size_t>(
        SendMessageW(list_, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item)));
    if (length + 1 < buffer.size()) {
      buffer.resize(length);
      return narrow(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool ListViewCheckList::selected(int index) const {
  checkIndex(index);
  return ListView_GetCheckState(list_, index) != 0;
}

void ListViewCheckList::setSelected(int index, bool selected) {
  checkIndex(index);
  ListView_SetCheckState(list_, index, selected ? TRUE : FALSE);
}

void ListViewCheckList::setListIndex(int index) {
  if (index == -1) {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    return;
  }
  checkIndex(index);
  ListView_SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list_, index, FALSE);
}

std::string ListViewCheckList::currentText() const {
  int current = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
  if (current < 0) current = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  return current < 0 ? std::string() : text(current);
}

void ListViewCheckList::checkIndex(int index) const {
  if (index < 0 || index >= count()) throw subscriptOutOfRange();
}

void ListViewCheckList::fitColumn() {
  RECT client{};
  GetClientRect(list_, &client);
  ListView_SetColumnWidth(list_, 0, LVSCW_AUTOSIZE);
  if (ListView_GetColumnWidth(list_, 0) < client.right)
    ListView_SetColumnWidth(list_, 0, client.right);
}

// The window procedure may pass WM_SETREDRAW on to DefWindowProc, which keeps the state in the
// visible style: the list's own visibility is put back when drawing resumes.
void ListViewCheckList::setDrawing(bool on) {
  if (!on) visibleWhileNotDrawing_ = (GetWindowLongW(list_, GWL_STYLE) & WS_VISIBLE) != 0;
  SendMessageW(list_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
  if (!on) return;
  if (!visibleWhileNotDrawing_) ShowWindow(list_, SW_HIDE);
  InvalidateRect(list_, nullptr, TRUE);
}

}  // namespace tarvik
