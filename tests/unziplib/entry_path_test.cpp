#include "unziplib/entry_path.h"

#include <gtest/gtest.h>

namespace tarvik::unziplib {
namespace {

const PathRules kKeep{true, false};
const PathRules kFlat{false, false};

TEST(EntryPathTest, KeepsOrDropsTheFolders) {
  EXPECT_EQ(outputPathOf("scenery/x.bgl", kKeep).path, "scenery/x.bgl");
  EXPECT_EQ(outputPathOf("scenery/x.bgl", kFlat).path, "x.bgl");
  EXPECT_EQ(outputPathOf("a//./b/c.bgl", kKeep).path, "a/b/c.bgl");
  EXPECT_EQ(outputPathOf("texture/", kKeep).path, "texture");
  EXPECT_EQ(outputPathOf("texture/", kFlat).path, "");
  EXPECT_FALSE(outputPathOf("texture/", kFlat).refused());
  EXPECT_EQ(outputPathOf("a b/c d.bmp", {true, true}).path, "a_b/c_d.bmp");
}

TEST(EntryPathTest, RefusesNamesThatLeaveTheFolder) {
  for (const char* name : {"../x", "a/../../x", "a/..", "/x", "//server/x", "C:/x", "c:x",
                           "a/b:c", "a/ . /x", "a/.../x", "x\x01y", ""}) {
    EXPECT_TRUE(outputPathOf(name, kKeep).refused()) << name;
  }
  EXPECT_EQ(outputPathOf("../x", kKeep).refusal, "it climbs out of the folder with \"..\"");
  EXPECT_EQ(outputPathOf("/x", kKeep).refusal, "it is an absolute path");
  EXPECT_EQ(outputPathOf("C:/x", kKeep).refusal, "it names a drive");
  // Without folders only the last part counts, and it is checked too.
  EXPECT_EQ(outputPathOf("../../x.bgl", kFlat).path, "x.bgl");
  EXPECT_TRUE(outputPathOf("a/..", kFlat).refused());
  EXPECT_TRUE(outputPathOf("a/nul", kFlat).refused());
  // Names that merely look alike are fine.
  for (const char* name : {"a..b/x", "..x", "x..", "console.bgl", "com10.bgl", "nulx", "lpt.txt"})
    EXPECT_FALSE(outputPathOf(name, kKeep).refused()) << name;
}

TEST(EntryPathTest, KnowsTheDeviceNames) {
  for (const char* name : {"CON", "con", "Prn.txt", "AUX.tar.gz", "NUL ", "nul .txt", "COM1",
                           "com9.log", "LPT1", "lpt5.x", "CONIN$", "conout$.txt", "COM\xC2\xB9"}) {
    EXPECT_TRUE(isDeviceName(name)) << name;
    EXPECT_TRUE(outputPathOf(std::string("scenery/") + name, kKeep).refused()) << name;
  }
  for (const char* name : {"COM0", "COM", "LPT10", "CONX", "xNUL", "AUXILIARY"})
    EXPECT_FALSE(isDeviceName(name)) << name;
}

}  // namespace
}  // namespace tarvik::unziplib
