#pragma once
// An unzip library double for the installer's tests: each call of Wiz_SingleEntryUnzip is
// recorded in the shared event log ("test <archive>", or "unzip <archive> -> <folder>" with
// " [names]" when it names members), prints the texts scripted for it through the print callback
// and returns the scripted result. A listing is logged as "list <archive>" and reports the
// members of `listing`, outside the script and the calls.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/dynamic_library.h"

namespace tarvik::testing {

struct ScriptedCall {
  int result = 0;
  std::vector<std::string> printed;
};

struct RecordedCall {
  bool test = false;
  bool keepFolders = false;
  bool overwrite = false;
  int includeCount = 0;
  std::vector<std::string> includeNames;
  std::string archive;
  std::string folder;
};

class ScriptedUnzipLibrary {
 public:
  // Installs the double as the binding's library until the object goes.
  explicit ScriptedUnzipLibrary(std::vector<std::string>& events);
  ~ScriptedUnzipLibrary();
  ScriptedUnzipLibrary(const ScriptedUnzipLibrary&) = delete;
  ScriptedUnzipLibrary& operator=(const ScriptedUnzipLibrary&) = delete;

  // Calls beyond the script succeed and print "  inflating: <n>".
  std::deque<ScriptedCall> script;
  struct Member {
    std::string name;
    uint32_t size;  // once extracted; reported as stored in half of it
  };
  std::vector<Member> listing = {
      {"scenery/area.bgl", 1000}, {"scenery/qiro.bgl", 1040543}, {"texture/ground.bmp", 5000}};
  std::vector<RecordedCall> calls;
};

}  // namespace tarvik::testing
