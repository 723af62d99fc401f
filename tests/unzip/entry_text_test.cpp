#include "unzip/entry_text.h"

#include <gtest/gtest.h>

namespace tarvik::mUnzip {
namespace {

TEST(ReplaceAllText, ReplacesEveryOccurrenceAndReportsOnePastTheLast) {
  std::string text = "a/b/c";
  EXPECT_EQ(ReplaceAllText(text, '/', '\\'), 5);
  EXPECT_EQ(text, "a\\b\\c");

  std::string none = "abc";
  EXPECT_EQ(ReplaceAllText(none, '/', '\\'), 1);
  EXPECT_EQ(none, "abc");

  std::string empty;
  EXPECT_EQ(ReplaceAllText(empty, '/', '\\'), 1);

  std::string adjacent = "//x//";
  EXPECT_EQ(ReplaceAllText(adjacent, '/', '-'), 6);
  EXPECT_EQ(adjacent, "--x--");
}

TEST(ReplaceAllText, ReplacingACharacterByItselfStillEnds) {
  std::string text = "a/b";
  EXPECT_EQ(ReplaceAllText(text, '/', '/'), 3);
  EXPECT_EQ(text, "a/b");
}

struct Split {
  std::string path;
  std::string name;
  std::string folder;
};

TEST(SplitEntryPath, SplitsAtTheLastForwardSlash) {
  const Split cases[] = {
      {"texture/a.bmp", "a.bmp", "texture"},
      {"a/b/c.txt", "c.txt", "a\\b"},
      {"readme.txt", "readme.txt", ""},
      {"/rooted.txt", "rooted.txt", ""},
      {"texture/", "", "texture"},
      {"a\\b.txt", "a\\b.txt", ""},    // a back-slash does not split
      {"x\\y/z.txt", "z.txt", "x\\y"},
      {"", "", ""},
  };
  for (const Split& split : cases) {
    std::string text = split.path;
    std::string folder;
    SplitEntryPath(text, folder);
    EXPECT_EQ(text, split.name) << split.path;
    EXPECT_EQ(folder, split.folder) << split.path;
  }
}

TEST(SplitEntryPath, CutsAtTheFirstNul) {
  std::string text("dir/na\0me/x", 11);
  std::string folder;
  SplitEntryPath(text, folder);
  EXPECT_EQ(text, "na");
  EXPECT_EQ(folder, "dir");
}

TEST(SplitEntryPath, LeavesTheFolderAloneWithoutASlash) {
  std::string text = "plain.txt";
  std::string folder = "kept";
  SplitEntryPath(text, folder);
  EXPECT_EQ(text, "plain.txt");
  EXPECT_EQ(folder, "kept");
}

TEST(SplitEntryPath, KeepsMultiByteNamesWhole) {
  std::string text = "sc\xC3\xA8nes/\xC3\xA9t\xC3\xA9.bgl";
  std::string folder;
  SplitEntryPath(text, folder);
  EXPECT_EQ(text, "\xC3\xA9t\xC3\xA9.bgl");
  EXPECT_EQ(folder, "sc\xC3\xA8nes");
}

}  // namespace
}  // namespace tarvik::mUnzip
