#pragma once
// The install run's progress in bytes, for the bar below the status line and the taskbar
// button. The whole run is the test of the payload and one extraction per ticked folder, each
// worth the bytes of the archive's members; inside a step a member counts as done when the unzip
// library prints its name.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/payload_contents.h"

#include "platform/window_controls.h"

namespace tarvik {

// The size of every file of the archive once extracted, by its name in the archive with "/"
// between folders and in lower case ("scenery/area.bgl").
using MemberSizes = std::map<std::string, uint64_t>;
MemberSizes memberSizes(const std::vector<PayloadFile>& payload);

// The member a text of the library names ("  inflating: scenery\area.bgl", "    testing:
// scenery/area.bgl   OK"), as a MemberSizes key; empty when it names none.
std::string memberNamedIn(const std::string& text);

class RunProgress {
 public:
  // Shows the bar at 0 for a run of `steps` steps. Without sizes each step still counts, as a
  // whole.
  RunProgress(WindowControls& controls, MemberSizes sizes, int steps);

  // A text the library printed while a step runs.
  void libraryPrinted(const std::string& text);
  // The step in hand is done, whatever its texts said.
  void stepFinished();

  uint64_t done() const { return finishedSteps_ * stepBytes_ + stepDone_; }
  uint64_t total() const { return steps_ * stepBytes_; }

 private:
  void show();

  WindowControls& controls_;
  MemberSizes sizes_;
  uint64_t stepBytes_;
  uint64_t steps_;
  uint64_t finishedSteps_ = 0;
  uint64_t stepDone_ = 0;
};

}  // namespace tarvik
