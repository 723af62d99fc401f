#include "discovery/text_functions.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

// "ä" is two bytes in UTF-8; "\xE4" alone is a stray byte of another code page.
TEST(TextFunctions, CountAndCutByCharactersNotBytes) {
  EXPECT_EQ(characterCount(""), 0u);
  EXPECT_EQ(characterCount("Local="), 6u);
  EXPECT_EQ(characterCount("\xC3\xA4" "b"), 2u);
  EXPECT_EQ(characterCount("\xE4" "b"), 2u);
  EXPECT_EQ(characterCount("\xE2\x82\xAC\xF0\x9F\x98\x80"), 2u);
  EXPECT_EQ(characterCount("\xE2\x82"), 2u);  // a sequence cut short: two stray bytes

  EXPECT_EQ(midCharacters("Local=\xC3\xA4" "bc", 7), "\xC3\xA4" "bc");
  EXPECT_EQ(midCharacters("Local=\xC3\xA4" "bc", 7, 2), "\xC3\xA4" "b");
  EXPECT_EQ(midCharacters("\xC3\xA4\xC3\xB6\xC3\xBC", 2, 1), "\xC3\xB6");
  EXPECT_EQ(midCharacters("Local=", 7), "");
  EXPECT_EQ(midCharacters("abc", 10, 3), "");
  EXPECT_EQ(midCharacters("abc", 1, 0), "");

  EXPECT_EQ(characterAt("Local=D:\\x", 8), ":");
  EXPECT_EQ(characterAt("Local=\xC3\x96:\\x", 8), ":");
  EXPECT_EQ(characterAt("Local=\xC3\x96:\\x", 7), "\xC3\x96");
  EXPECT_EQ(characterAt("Local=", 8), "");
  EXPECT_EQ(characterAt("abc", 0), "");
}

TEST(TextFunctions, RemovesTheWholeLastCharacter) {
  EXPECT_EQ(withoutLastCharacter("ab"), "a");
  EXPECT_EQ(withoutLastCharacter("a\xC3\xA4"), "a");
  EXPECT_EQ(withoutLastCharacter("a\xF0\x9F\x98\x80"), "a");
  EXPECT_EQ(withoutLastCharacter("a\xE4"), "a");
  EXPECT_EQ(withoutLastCharacter("a\x80\x80"), "a\x80");  // stray continuation bytes
  EXPECT_EQ(withoutLastCharacter("\xC3\xA4\x80"), "\xC3\xA4");
  EXPECT_EQ(withoutLastCharacter("x"), "");
  EXPECT_EQ(withoutLastCharacter(""), "");
}

TEST(TextFunctions, TrimsOnlyBlanks) {
  EXPECT_EQ(trimSpaces("  Local=x  "), "Local=x");
  EXPECT_EQ(trimSpaces(" \tx\t "), "\tx\t");
  EXPECT_EQ(trimSpaces("     "), "");
  EXPECT_EQ(trimSpaces(""), "");
}

TEST(TextFunctions, ReplacesFromLeftToRightWithoutOverlap) {
  EXPECT_EQ(replaceAll("d:\\a\\scenery\\scenery\\qiro.bgl", "scenery\\scenery", "scenery"),
            "d:\\a\\scenery\\qiro.bgl");
  EXPECT_EQ(replaceAll("scenery\\scenery\\scenery", "scenery\\scenery", "scenery"),
            "scenery\\scenery");
  EXPECT_EQ(replaceAll("x\\scenery\\qiro.bgl\\scenery\\qiro.bgl", "\\scenery\\qiro.bgl", ""), "x");
  EXPECT_EQ(replaceAll("nothing here", "scenery", "x"), "nothing here");
  EXPECT_EQ(replaceAll("aaa", "", "b"), "aaa");
}

}  // namespace
}  // namespace tarvik
