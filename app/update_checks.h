#pragma once
// The checks before an update changes anything: room on every volume, no file that the update
// changes held open by another program, and every folder writable by this process. Each
// failure is told in words that say what, where and what to do.

#include <optional>
#include <string>
#include <vector>

#include "app/payload_contents.h"
#include "platform/file_system.h"
#include "platform/write_access.h"

namespace tarvik {

struct CheckFailure {
  bool protectedFolder = false;  // the remedy is to run with administrator rights
  std::string message;
};

// Checks the update of every folder (in the run's order; one named twice counts once) with the
// archive's files. A folder without its "scenery" or "texture" sub-folder is checked as far as
// it goes: the run reports what is missing. Returns the failure to report, or nullopt.
std::optional<CheckFailure> checkUpdate(const std::vector<std::string>& folders,
                                        const std::vector<PayloadFile>& payload,
                                        FileSystem& files, WriteAccess& access);

}  // namespace tarvik
