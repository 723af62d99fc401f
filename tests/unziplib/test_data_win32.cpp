// The test archives lie in unziplib_data beside the test program.

#include <windows.h>

#include "tests/unziplib/unzip_call.h"

namespace tarvik::testing {

std::filesystem::path testData() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  return std::filesystem::path(std::wstring(path, length)).parent_path() / "unziplib_data";
}

}  // namespace tarvik::testing
