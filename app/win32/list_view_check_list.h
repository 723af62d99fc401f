#pragma once
// A check-box list on a list-view control in report view with check boxes: every entry's text
// and tick live in the control, where assistive technology and other programs can read them.

#include <windows.h>

#include <string>

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

  // Makes the one column as wide as the list, or as its longest entry, so that every path can
  // be read. It measures every entry: call it once the entries are in, not after each one.
  void fitColumn();

  // While drawing is off, appending an entry costs no drawing; turned on, the list redraws.
  void setDrawing(bool on);

 private:
  void checkIndex(int index) const;

  HWND list_ = nullptr;
  bool visibleWhileNotDrawing_ = true;
};

}  // namespace tarvik
