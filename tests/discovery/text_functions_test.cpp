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

TEST(TextFunctions, LowerCasesTheLettersOfTheAnsiCodePages) {
  EXPECT_EQ(lowerCase("C:\\GAMES\\Fs2000\\Scenery.CFG"), "c:\\games\\fs2000\\scenery.cfg");
  // Ä Ö Ü À É Þ → ä ö ü à é þ; × and ß stay.
  EXPECT_EQ(lowerCase("\xC3\x84\xC3\x96\xC3\x9C\xC3\x80\xC3\x89\xC3\x9E\xC3\x97\xC3\x9F"),
            "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA0\xC3\xA9\xC3\xBE\xC3\x97\xC3\x9F");
  // Š Ž Œ Ł Ÿ → š ž œ ł ÿ.
  EXPECT_EQ(lowerCase("\xC5\xA0\xC5\xBD\xC5\x92\xC5\x81\xC5\xB8"),
            "\xC5\xA1\xC5\xBE\xC5\x93\xC5\x82\xC3\xBF");
  // Greek Α Ω Ά and Cyrillic А Я Ё Ґ.
  EXPECT_EQ(lowerCase("\xCE\x91\xCE\xA9\xCE\x86"), "\xCE\xB1\xCF\x89\xCE\xAC");
  EXPECT_EQ(lowerCase("\xD0\x90\xD0\xAF\xD0\x81\xD2\x90"), "\xD0\xB0\xD1\x8F\xD1\x91\xD2\x91");
  // Bytes that are no UTF-8 stay as they are.
  EXPECT_EQ(lowerCase("A\xC4" "B\xE0\x80\x80"), "a\xC4" "b\xE0\x80\x80");
  EXPECT_EQ(lowerCase(std::string("A\0B", 3)), std::string("a\0b", 3));
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
