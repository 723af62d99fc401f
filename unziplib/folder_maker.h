#pragma once
// The extraction folder and the folders below it: created when missing, each reported once,
// and remembered so that a folder is looked at only once per call.

#include <string>
#include <string_view>
#include <unordered_set>

#include "unziplib/reporter.h"

namespace tarvik::unziplib {

class FolderMaker {
 public:
  // root: the extraction folder as the caller gave it; empty means the current folder.
  FolderMaker(std::string root, Reporter& reporter);

  // The path of a file or folder below the root (relative path with '/').
  std::string pathOf(std::string_view relative) const;
  // The same as the system writes it, for texts shown to the user.
  std::string displayPathOf(std::string_view relative) const;
  // Makes sure the folder exists, with every level above it. Raises SystemFailure.
  void ensure(std::string_view relative);
  // Makes sure the folder that holds this file exists.
  void ensureParentOf(std::string_view relativeFile);
  // True when the folder that holds this file was made or found by this call already.
  bool madeParentOf(std::string_view relativeFile) const;

 private:
  void ensureRoot();

  std::string root_;
  Reporter& reporter_;
  bool rootReady_ = false;
  std::unordered_set<std::string> known_;
};

}  // namespace tarvik::unziplib
