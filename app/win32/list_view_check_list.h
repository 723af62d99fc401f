#pragma once
// A check-box list on a virtual list-view control (owner data) in report view with check boxes:
// the entries' texts and ticks are held here, and the control asks for them as it draws, so that
// appending an entry costs no work in the control. Other programs still read every entry's text
// and tick from the control, which asks this list through its owner's WM_NOTIFY. A tick changes
// by the user's input or by setSelected: the control keeps no ticks, and a state set on it from
// outside does not reach this list (Wine's list view reports no such change to the owner).

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/window_controls.h"

namespace tarvik {

class ListViewCheckList : public CheckList {
 public:
  ListViewCheckList() = default;
  explicit ListViewCheckList(HWND list) : list_(list) {}
  void attach(HWND list) { list_ = list; }
  HWND handle() const { return list_; }

  int count() const override;
  void addItem(const std::string& text) override;
  std::string text(int index) const override;
  bool selected(int index) const override;
  void setSelected(int index, bool selected) override;
  // -1 leaves no entry current.
  void setListIndex(int index) override;
  std::string currentText() const override;

  // Makes the one column as wide as the list, or as its widest entry with its check box, so
  // that every path can be read. It measures every entry: call it once the entries are in.
  void fitColumn();

  // While drawing is off, appending or ticking an entry sends the control nothing (under Wine
  // every message to it costs tens of microseconds); the control learns the number of entries
  // when drawing resumes or the column is fitted, and redraws when drawing resumes.
  void setDrawing(bool on);

  // Answers the control's notification: an entry's text and tick for drawing or for another
  // program, and the user's ticking (a click on a check box, a double click on an entry, the
  // space key on the focused entry). Returns false for a notification it does not handle (or
  // from another control); the owner's window procedure returns 0 for one handled here.
  bool handleNotification(NMHDR& header);

 private:
  struct Entry {
    std::wstring text;
    bool ticked = false;
  };

  void checkIndex(int index) const;
  // Tells the control the number of entries.
  void showCount();
  void answerDisplayInfo(LVITEMW& item) const;
  void onClick(const NMITEMACTIVATE& click, bool doubleClick);
  void toggle(int index);
  // Draws the entry again and tells assistive technology that its tick changed.
  void showTickChanged(int index);
  int widestEntryWidth() const;

  HWND list_ = nullptr;
  std::vector<Entry> entries_;
  bool drawing_ = true;
  bool visibleWhileNotDrawing_ = true;
};

}  // namespace tarvik
