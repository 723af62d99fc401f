#pragma once
// What the library tests share: a fresh folder per test, archives written into it, and calls
// that extract into its "target" folder.

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"
#include "tests/unziplib/unzip_call.h"
#include "tests/unziplib/zip_builder.h"

namespace tarvik::testing {

class UnzipLibraryTest : public ::testing::Test {
 protected:
  TempFolder temp;

  std::filesystem::path target() const { return temp.path() / "target"; }
  std::filesystem::path archive(const ZipBuilder& builder, const std::string& name = "test.zip") {
    return temp.write(name, builder.build());
  }
  // A call that extracts with folder names kept and existing files overwritten, as the
  // installer does.
  UnzipCall extraction(const std::filesystem::path& zip) const {
    UnzipCall call(zip, target());
    call.dcl.ndflag = 1;
    call.dcl.noflag = 1;
    return call;
  }
  std::string targetFile(const std::string& relative) const {
    return readFile(target() / relative);
  }
  bool targetHas(const std::string& relative) const {
    return std::filesystem::exists(target() / relative);
  }
};

// The local date and time a file was last written, as "YYYY-MM-DD hh:mm:ss".
inline std::string localWriteTime(const std::filesystem::path& file) {
  const auto stamp = std::chrono::file_clock::to_sys(std::filesystem::last_write_time(file));
  const std::time_t seconds = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(stamp));
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&seconds));
  return text;
}

}  // namespace tarvik::testing
