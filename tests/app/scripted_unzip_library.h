#pragma once
// An unzip library double for the installer's tests: each call of Wiz_SingleEntryUnzip is
// recorded in the shared event log ("test <archive>", "directory <archive>", or "unzip <archive>
// -> <folder>" with " [names]" when it names members). A listing reports the members; any other
// call prints the texts scripted for it through the print callback and returns the scripted
// result.

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
  bool listOnly = false;
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
  // What a listing reports: the archive's names and their sizes once extracted.
  std::vector<std::pair<std::string, uint32_t>> members = {
      {"scenery/area.bgl", 1000}, {"scenery/qiro.bgl", 1040543}, {"texture/ground.bmp", 5000}};
  std::vector<RecordedCall> calls;
};

}  // namespace tarvik::testing
