// Windows: a file that another program holds without sharing its deletion past the few seconds
// that a virus scanner's hold is waited for fails the update, named, and stays as it was.

#include <windows.h>

#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

TEST_F(UnzipLibraryTest, AFileHeldPastTheWaitFailsNamedAndStaysAsItWas) {
  ZipBuilder zip;
  zip.file("scenery/held.bgl", "new");
  const std::wstring held = temp.write("target/scenery/held.bgl", "old").wstring();
  const HANDLE hold = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  UnzipCall call = extraction(archive(zip));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_WRITE_ERROR);
  CloseHandle(hold);
  EXPECT_TRUE(call.printedLineContaining("error: cannot write scenery/held.bgl: "))
      << call.lastLine();
  EXPECT_EQ(targetFile("scenery/held.bgl"), "old");
}

}  // namespace
}  // namespace tarvik::testing
