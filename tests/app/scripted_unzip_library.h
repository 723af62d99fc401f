#pragma once
// An unzip library double for the installer's tests: each call of Wiz_SingleEntryUnzip is
// recorded in the shared event log ("test <archive>" or "unzip <archive> -> <folder>"), prints
// the texts scripted for it through the print callback and returns the scripted result. A
// listing is logged as "list <archive>" and reports the members of `listing`, outside the
// script and the calls.

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
    uint32_t storedSize;  // reported as half the original size
  };
  std::vector<Member> listing;
  std::vector<RecordedCall> calls;
};

}  // namespace tarvik::testing
