#pragma once
// A check-box list held in memory, for tests of the code that fills and reads the lists.

#include <string>
#include <vector>

#include "platform/window_controls.h"

namespace tarvik::testing {

class MemoryCheckList : public CheckList {
 public:
  int count() const override { return static_cast<int>(entries_.size()); }
  void addItem(const std::string& text) override { entries_.push_back({text, false}); }
  std::string text(int index) const override { return entries_.at(index).text; }
  bool selected(int index) const override { return entries_.at(index).selected; }
  void setSelected(int index, bool selected) override { entries_.at(index).selected = selected; }
  void setListIndex(int index) override { current_ = entries_.at(index).text; }
  std::string currentText() const override { return current_; }

  std::vector<std::string> texts() const {
    std::vector<std::string> all;
    for (const auto& entry : entries_) all.push_back(entry.text);
    return all;
  }
  std::vector<bool> ticks() const {
    std::vector<bool> all;
    for (const auto& entry : entries_) all.push_back(entry.selected);
    return all;
  }

 private:
  struct Entry {
    std::string text;
    bool selected;
  };
  std::vector<Entry> entries_;
  std::string current_;
};

}  // namespace tarvik::testing
