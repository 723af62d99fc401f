#pragma once
// Paths of any length for Windows' file functions. A path of MAX_PATH characters or more reaches
// the file system only in its long form, "\\?\C:\..." or "\\?\UNC\server\share\...", unless the
// system lets the program pass long paths plainly (which it does not by default); the installer
// and the unzip library both pass every path through here.

#include <string>

namespace tarvik {

// The path itself while it is short enough for a folder's path (room for a file name of 8.3
// characters below MAX_PATH), else its long form: made absolute and free of "." and ".." parts
// by GetFullPathNameW, as the system would do with a short path. Unchanged when it is in a
// long or device form already, or cannot be made absolute.
std::wstring longPathForm(const std::wstring& path);

// A path as its user wrote it: without the long form's prefix.
std::wstring withoutLongPathPrefix(const std::wstring& path);

}  // namespace tarvik
