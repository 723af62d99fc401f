// Windows: a file that another program holds for a moment without sharing its deletion (a virus
// scanner) is replaced once let go; one held past the bound fails, named.

#include "tests/support/brief_hold.h"
#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

using namespace std::chrono_literals;

TEST_F(UnzipLibraryTest, ReplacesAFileOnceAnotherProgramLetsGoOfIt) {
  ZipBuilder zip;
  zip.file("scenery/held.bgl", "new").file("scenery/free.bgl", "new too");
  temp.write("target/scenery/held.bgl", "old");
  const BriefHold hold((target() / "scenery/held.bgl").wstring(), 400ms);
  ASSERT_TRUE(hold.holding());
  UnzipCall call = extraction(archive(zip));
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(targetFile("scenery/held.bgl"), "new");
  EXPECT_EQ(targetFile("scenery/free.bgl"), "new too");
}

TEST_F(UnzipLibraryTest, AFileHeldPastTheBoundFailsNamedAndStaysAsItWas) {
  ZipBuilder zip;
  zip.file("scenery/held.bgl", "new");
  temp.write("target/scenery/held.bgl", "old");
  const BriefHold hold((target() / "scenery/held.bgl").wstring(), 60s);
  ASSERT_TRUE(hold.holding());
  UnzipCall call = extraction(archive(zip));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_WRITE_ERROR);
  EXPECT_TRUE(call.printedLineContaining("error: cannot write scenery/held.bgl: "))
      << call.lastLine();
  EXPECT_EQ(targetFile("scenery/held.bgl"), "old");
}

}  // namespace
}  // namespace tarvik::testing
