#pragma once
// Preparing one add-on folder before the update is extracted into it.

#include <string>

#include "platform/file_system.h"

namespace tarvik {

// Resets the attributes of every file directly inside the folder (a path ending with "\") to
// normal, so that the files can be replaced and deleted. Raises the first failure.
void ClearFolderAttributes(FileSystem& files, const std::string& folder);

// Deletes each file of the obsolete-file table inside the folder (a path ending with "\"). A
// file that is missing or cannot be deleted is skipped; nothing is reported.
void DeleteObsoleteFiles(FileSystem& files, const std::string& folder);

}  // namespace tarvik
