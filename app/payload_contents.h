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

// Names the archive to the run's component and lists it there: the listing then serves the
// run's checks, its progress and every folder's extraction. Returns the files of the archive, in
// archive order; none when the unzip library cannot be used (the run's next call then meets the
// same fault and reports it).
std::vector<PayloadFile> listPayload(cUnzip& pakket, const std::string& archive);

// The last part of a path: the file's own name.
std::string fileNameOf(const std::string& path);

// The same name, in the letters that Windows' file names match without regard to case: the
// platform's lower case.
std::string foldedName(std::string name);

}  // namespace tarvik
