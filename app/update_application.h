#pragma once
// Preparing one add-on folder before the update is extracted into it.

#include <string>

#include "platform/file_system.h"

namespace tarvik {

// Resets the attributes of every file directly inside the folder (a path ending with "\") to
// normal, so that the files can be replaced and deleted; a link among them is left as it is, and
// so is what it points to. Raises the first failure.
void ClearFolderAttributes(FileSystem& files, const std::string& folder);

// Deletes each file of the obsolete-file table inside the folder (a path ending with "\"). A
// file that is missing or cannot be deleted, or a link of such a name, is skipped; nothing is
// reported.
void DeleteObsoleteFiles(FileSystem& files, const std::string& folder);

}  // namespace tarvik
