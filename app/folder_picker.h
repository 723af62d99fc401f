#pragma once
// dlgSelectDir: the behaviour of the folder picker, which adds a folder chosen by drive and
// directory to the main window's lists as a ticked install target.

#include "platform/window_controls.h"

namespace tarvik {

class dlgSelectDir {
 public:
  dlgSelectDir(FolderPickerControls& controls, CheckList& List1, CheckList& List2);

  void Drive1_Change();
  void Dir1_Change();
  void cmdselecteer_Click();
  void cmdAnnuleer_Click();

 private:
  FolderPickerControls& controls_;
  CheckList& List1_;
  CheckList& List2_;
};

}  // namespace tarvik
