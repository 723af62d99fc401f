#pragma once
// Where Windows keeps the files it shows the programs that it virtualizes: 32-bit programs
// without a manifest, run without administrator rights, such as the flight simulators. Their
// writes below Program Files, ProgramData or the Windows folder land in the user's VirtualStore,
// under the same path without its drive, and a file there hides the real one from them: they
// read it instead, and their folder listings show it.

#include <optional>
#include <string>
#include <vector>

namespace tarvik {

struct VirtualStore {
  // "C:\Users\Ann\AppData\Local\VirtualStore"; empty where Windows virtualizes nothing.
  std::string folder;
  // The folders whose contents are virtualized, e.g. "C:\Program Files (x86)".
  std::vector<std::string> virtualizedFolders;

  // The path of the copy that stands for path in the store ("C:\Program Files\FS\a.cfg" ->
  // "<folder>\Program Files\FS\a.cfg"), whether it exists or not; nullopt for a path outside
  // the virtualized folders. "." and ".." are resolved first, as Windows does.
  std::optional<std::string> copyOf(const std::string& path) const;
};

// The path with "/" as "\", "." and empty names dropped and ".." climbing one level, but never
// above the root; a trailing separator is kept.
std::string resolvedPath(const std::string& path);

}  // namespace tarvik
