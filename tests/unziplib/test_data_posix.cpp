// The test archives lie in unziplib_data beside the test program.

#include <unistd.h>

#include "tests/unziplib/unzip_call.h"

namespace tarvik::testing {

std::filesystem::path testData() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "unziplib_data";
}

}  // namespace tarvik::testing
