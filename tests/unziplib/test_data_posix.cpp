// The test archives lie in unziplib_data beside the test program. Paths have no length limit.

#include <unistd.h>

#include "tests/unziplib/unzip_call.h"

namespace tarvik::testing {

std::filesystem::path testData() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "unziplib_data";
}

std::filesystem::path longForm(const std::filesystem::path& path) { return path; }
bool systemLimitsPathLength(const std::filesystem::path&) { return false; }
void removeTree(const std::filesystem::path& folder) { std::filesystem::remove_all(folder); }

}  // namespace tarvik::testing
