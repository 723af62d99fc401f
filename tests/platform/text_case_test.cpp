// Lower case as Windows has it: the same results from the system's mapping (under Wine) and from
// the portable table (native).

#include "platform/text_case.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

TEST(TextCase, LowersEveryCapitalOfCodePage1252AndTheLettersOtherCodePagesAdd) {
  EXPECT_EQ(lowerCaseText("ABCDEFGHIJKLMNOPQRSTUVWXYZŠŒŽŸÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞ"),
            "abcdefghijklmnopqrstuvwxyzšœžÿàáâãäåæçèéêëìíîïðñòóôõöøùúûüýþ");
  EXPECT_EQ(lowerCaseText("C:\\İSTANBUL\\ƠƯ"), "c:\\İstanbul\\ơư");  // 1254 and 1258
  EXPECT_EQ(lowerCaseText("ΆΣΩ ЁЯҐ ŁŐŘ"), "άσω ёяґ łőř");
  // İ keeps its case, as in Windows' own table (its small letter i is the small of I). Small
  // letters and signs stay; so do bytes that are no UTF-8.
  EXPECT_EQ(lowerCaseText("ßµ×÷ıÿ 0-9"), "ßµ×÷ıÿ 0-9");
  EXPECT_EQ(lowerCaseText("A\xC4" "B\xE0\x80"), "a\xC4" "b\xE0\x80");
  EXPECT_EQ(lowerCaseText(std::string("A\0B", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace tarvik
