#pragma once
// Staging files that an interrupted update left in an add-on folder.

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace tarvik {

// True for a name the unzip library gives its staging files: "~tvk", 8 hexadecimal digits,
// ".tmp", in any letter case.
bool isStagingFileName(std::string_view name);

// Deletes the staging files directly inside the folder (a path ending with "\"); nothing else,
// and no link of such a name.
// A folder that does not exist, or a file that cannot be deleted, is left as it is: a later
// run tries again.
void RemoveStagingLeftovers(FileSystem& files, const std::string& folder);

}  // namespace tarvik
