#pragma once
// The files of the installer's archive, as the update writes them into an add-on folder.

#include <cstdint>
#include <string>
#include <vector>

#include "unzip/unzip_component.h"

namespace tarvik {

struct PayloadFile {
  std::string folder;  // the sub-folder it lands in: "scenery" or "texture"
  std::string name;    // its file name
  uint64_t size = 0;   // bytes once extracted
};

// The files of the archive, in archive order, listed through an unzip component of its own so
// that the run's component and its events stay untouched. Empty when the unzip library cannot
// be used: the run's own calls then meet the same fault and report it.
std::vector<PayloadFile> listPayload(const std::string& archive);

// The last part of a path: the file's own name.
std::string fileNameOf(const std::string& path);

// The same name, in the letters that Windows' file names match without regard to case: the
// platform's lower case.
std::string foldedName(std::string name);

}  // namespace tarvik
