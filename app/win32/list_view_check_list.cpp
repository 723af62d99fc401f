#include "app/win32/list_view_check_list.h"

#include <commctrl.h>

#include <algorithm>

#include "app/win32/gdi_handles.h"
#include "platform/runtime_error.h"
#include "platform/win32/wide_text.h"

namespace tarvik {
namespace {

// The state images of a list view with check boxes: 1 an empty box, 2 a ticked one.
UINT tickImage(bool ticked) { return INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1); }

// Room the control leaves after an entry's text.
constexpr int kLabelPadding = 12;

}  // namespace

int ListViewCheckList::count() const { return static_cast<int>(entries_.size()); }

void ListViewCheckList::addItem(const std::string& text) {
  entries_.push_back({widen(text), false});
  if (drawing_) showCount();
}

void ListViewCheckList::showCount() {
  ListView_SetItemCountEx(list_, count(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

std::string ListViewCheckList::text(int index) const {
  checkIndex(index);
  return narrow(entries_[static_cast<std::size_t>(index)].text);
}

bool ListViewCheckList::selected(int index) const {
  checkIndex(index);
  return entries_[static_cast<std::size_t>(index)].ticked;
}

void ListViewCheckList::setSelected(int index, bool selected) {
  checkIndex(index);
  bool& ticked = entries_[static_cast<std::size_t>(index)].ticked;
  if (ticked == selected) return;
  ticked = selected;
  showTickChanged(index);
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

bool ListViewCheckList::handleNotification(NMHDR& header) {
  if (header.hwndFrom != list_) return false;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      answerDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header).item);
      return true;
    case NM_CLICK:
    case NM_DBLCLK:
      onClick(reinterpret_cast<const NMITEMACTIVATE&>(header), header.code == NM_DBLCLK);
      return true;
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE)
        toggle(ListView_GetNextItem(list_, -1, LVNI_FOCUSED));
      return true;
    default:
      return false;
  }
}

void ListViewCheckList::answerDisplayInfo(LVITEMW& item) const {
  if (item.iItem < 0 || item.iItem >= count()) return;
  const Entry& entry = entries_[static_cast<std::size_t>(item.iItem)];
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    const std::size_t length =
        std::min(entry.text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    std::copy_n(entry.text.data(), length, item.pszText);
    item.pszText[length] = L'\0';
  }
  if ((item.mask & LVIF_STATE) && (item.stateMask & LVIS_STATEIMAGEMASK))
    item.state = (item.state & ~LVIS_STATEIMAGEMASK) | tickImage(entry.ticked);
}

// A click on an entry's check box ticks or unticks it. The second press of a double click does
// the same anywhere on the entry, so that a double click on the box leaves the tick as it was.
void ListViewCheckList::onClick(const NMITEMACTIVATE& click, bool doubleClick) {
  LVHITTESTINFO hit{};
  hit.pt = click.ptAction;
  const int index = ListView_HitTest(list_, &hit);
  const bool onCheckBox = (hit.flags & LVHT_ONITEM) == LVHT_ONITEMSTATEICON;
  if (doubleClick ? (hit.flags & LVHT_ONITEM) != 0 : onCheckBox) toggle(index);
}

void ListViewCheckList::toggle(int index) {
  if (index < 0 || index >= count()) return;
  setSelected(index, !selected(index));
}

void ListViewCheckList::showTickChanged(int index) {
  if (drawing_) ListView_RedrawItems(list_, index, index);
  NotifyWinEvent(EVENT_OBJECT_STATECHANGE, list_, OBJID_CLIENT, index + 1);
}

void ListViewCheckList::fitColumn() {
  showCount();
  RECT client{};
  GetClientRect(list_, &client);
  ListView_SetColumnWidth(list_, 0, std::max<int>(client.right, widestEntryWidth()));
}

// The texts are measured here with the list's font: the control's own measuring of a virtual
// list asks for every entry's text and takes many times as long.
int ListViewCheckList::widestEntryWidth() const {
  if (entries_.empty()) return 0;
  const ScreenDc screen;
  const SelectedObject font(screen.get(),
                            reinterpret_cast<HGDIOBJ>(SendMessageW(list_, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const Entry& entry : entries_) {
    SIZE size{};
    GetTextExtentPoint32W(screen.get(), entry.text.data(), static_cast<int>(entry.text.size()),
                          &size);
    widest = std::max(widest, size.cx);
  }
  // The check box and the margin before the text.
  RECT bounds{}, label{};
  ListView_GetItemRect(list_, 0, &bounds, LVIR_BOUNDS);
  ListView_GetItemRect(list_, 0, &label, LVIR_LABEL);
  return static_cast<int>(label.left - bounds.left + widest) + kLabelPadding;
}

// The window procedure may pass WM_SETREDRAW on to DefWindowProc, which keeps the state in the
// visible style: the list's own visibility is put back when drawing resumes.
void ListViewCheckList::setDrawing(bool on) {
  drawing_ = on;
  if (!on) visibleWhileNotDrawing_ = (GetWindowLongW(list_, GWL_STYLE) & WS_VISIBLE) != 0;
  SendMessageW(list_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
  if (!on) return;
  showCount();
  if (!visibleWhileNotDrawing_) ShowWindow(list_, SW_HIDE);
  InvalidateRect(list_, nullptr, TRUE);
}

}  // namespace tarvik
