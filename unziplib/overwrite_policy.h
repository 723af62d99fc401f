#pragma once
// Whether a member may replace a file that is already there, by the call's switches and, when
// asked for, the caller's answer.

#include <string>

#include "unziplib/tarvik_unzip.h"
#include "unziplib/unzip_platform.h"

namespace tarvik::unziplib {

struct OverwriteSwitches {
  bool overwrite = false;          // replace without asking
  bool prompt = false;             // ask the replace callback
  bool onlyNewer = false;          // replace only files older than the member
  bool freshen = false;            // as onlyNewer, and create no new files
};

enum class WriteDecision {
  kWrite,
  kSkipExisting,  // exists, and nothing allows replacing it
  kSkipNotNewer,  // exists and is not older than the member
  kSkipAnswered,  // the caller said no
  kSkipMissing,   // freshen only: no file to replace
};

class OverwritePolicy {
 public:
  OverwritePolicy(const OverwriteSwitches& switches, TarvikReplaceCallback replace);

  // Whether a member of that time may be written to target. Looks at the file only when the
  // switches make it matter; shownName is the name the replace callback receives.
  WriteDecision decide(const std::string& target, const std::string& shownName,
                       const LocalTime& memberTime);
  // A guess, made without asking anyone, whether decide() will let a member be written to
  // target: true when the switches replace every file, or when there is no file yet.
  bool likelyWrites(const std::string& target) const;

 private:
  WriteDecision ask(const std::string& shownName);

  OverwriteSwitches switches_;
  TarvikReplaceCallback replace_;
  bool replaceAll_ = false;
  bool replaceNone_ = false;
};

}  // namespace tarvik::unziplib
