#pragma once
// A WriteAccess double: volumes, free space, files held by other programs and protected paths
// as a test sets them. Paths compare without regard to ASCII case.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/write_access.h"

namespace tarvik::testing {

class FakeWriteAccess : public WriteAccess {
 public:
  std::optional<VolumeSpace> space(const std::string& folder) override;
  Access canChange(const std::string& file, bool replaceOrDelete) override;
  Access canCreateIn(const std::string& folder) override;
  std::vector<std::string> programsUsing(const std::vector<std::string>& files) override;
  std::optional<std::string> pathForAdministrator(const std::string& folder) override;
  bool restartAsAdministrator(const std::string& arguments) override;

  // The volume of a path is named by its first three characters ("C:\").
  std::map<std::string, VolumeSpace> spaces;  // by volume; a volume not named has plenty
  std::map<std::string, uint32_t> serials;    // by volume; a volume not named has none
  std::set<std::string> heldFiles;            // held open without sharing by another program
  std::set<std::string> deniedPaths;          // files and folders this process may not change
  std::vector<std::string> holders;           // the programs named for held files
  // Folders on mapped drives: their network paths, or "" where none can be had.
  std::map<std::string, std::string> networkPaths;
  bool restartSucceeds = true;
  int restarts = 0;
  std::string restartArguments;  // of the latest restart
};

}  // namespace tarvik::testing
