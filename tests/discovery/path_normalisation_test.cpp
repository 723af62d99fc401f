#include "discovery/path_normalisation.h"

#include <gtest/gtest.h>

#include "discovery/text_functions.h"
#include "platform/runtime_error.h"

namespace tarvik {
namespace {

struct Stripped {
  std::string line;
  int16_t parentLevelCount;
};

Stripped strip(std::string line) {
  int16_t count = 0;
  const std::string result = verwijderpuntpunt(line, count);
  EXPECT_EQ(result, line) << "the line is rewritten in place and returned";
  return {result, count};
}

TEST(Verwijderpuntpunt, StripsEveryLeadingGroupAndCountsItsInvocations) {
  const Stripped one = strip("Local=..\\Area");
  EXPECT_EQ(one.line, "Local=Area");
  EXPECT_EQ(one.parentLevelCount, 2);
  const Stripped two = strip("Local=..\\..\\Area");
  EXPECT_EQ(two.line, "Local=Area");
  EXPECT_EQ(two.parentLevelCount, 3);
  const Stripped three = strip("Local=..\\..\\..\\Area");
  EXPECT_EQ(three.line, "Local=Area");
  EXPECT_EQ(three.parentLevelCount, 4);
  const Stripped addons = strip("Local=..\\Addons\\Area");
  EXPECT_EQ(addons.line, "Local=Addons\\Area");
  EXPECT_EQ(addons.parentLevelCount, 2);
}

TEST(Verwijderpuntpunt, TakesOnlyTheExactPrefixAtTheStartOfTheLine) {
  for (const std::string line : {"local=..\\Area", "LOCAL=..\\Area", " Local=..\\Area",
                                 "Local=../Area", "Local=.\\Area", "Local=Area", ""}) {
    const Stripped result = strip(line);
    EXPECT_EQ(result.line, line);
    EXPECT_EQ(result.parentLevelCount, 1) << line;
  }
  const Stripped middle = strip("Local=..\\A\\..\\B");
  EXPECT_EQ(middle.line, "Local=A\\..\\B");
  EXPECT_EQ(middle.parentLevelCount, 2);
  const Stripped slash = strip("Local=..\\../Area");
  EXPECT_EQ(slash.line, "Local=../Area");
  EXPECT_EQ(slash.parentLevelCount, 2);
}

TEST(Verwijderpuntpunt, KeepsAtMost255CharactersAfterEachRemovedGroup) {
  const std::string rest(300, 'x');
  for (int groups = 1; groups <= 5; ++groups) {
    std::string line = "Local=";
    for (int i = 0; i < groups; ++i) line += "..\\";
    const Stripped result = strip(line + rest);
    EXPECT_EQ(result.line, "Local=" + std::string(255 - 3 * (groups - 1), 'x')) << groups;
    EXPECT_EQ(result.parentLevelCount, groups + 1);
  }
  // A short rest is not touched.
  EXPECT_EQ(strip("Local=..\\" + std::string(255, 'y')).line, "Local=" + std::string(255, 'y'));
  EXPECT_EQ(strip("Local=..\\" + std::string(256, 'y')).line, "Local=" + std::string(255, 'y'));
}

TEST(Verwijderpuntpunt, CutsByCharactersSoNoCharacterIsSplit) {
  std::string umlauts;
  for (int i = 0; i < 300; ++i) umlauts += "\xC3\xA4";
  const Stripped result = strip("Local=..\\" + umlauts);
  EXPECT_EQ(characterCount(result.line), 6u + 255u);
  EXPECT_EQ(result.line.size(), 6u + 2 * 255u);
}

TEST(Verwijderpuntpunt, AVeryLongRunOfGroupsLosesItsEndToTheCut) {
  std::string line = "Local=";
  for (int i = 0; i < 100; ++i) line += "..\\";
  // After the first group 255 characters are kept: 85 whole groups and nothing of "Area".
  const Stripped result = strip(line + "Area");
  EXPECT_EQ(result.line, "Local=");
  EXPECT_EQ(result.parentLevelCount, 87);
}

TEST(Verwijderpuntpunt, CountsOnFromTheCounterItIsGiven) {
  std::string line = "Local=..\\..\\Area";
  int16_t count = 10;
  verwijderpuntpunt(line, count);
  EXPECT_EQ(count, 13);
  line = "Local=x";
  count = -5;
  verwijderpuntpunt(line, count);
  EXPECT_EQ(count, -4);
}

TEST(Verwijderpuntpunt, TheSixteenBitCounterOverflowsWithError6) {
  std::string line = "Local=Area";
  int16_t count = 32766;
  verwijderpuntpunt(line, count);
  EXPECT_EQ(count, 32767);
  try {
    verwijderpuntpunt(line, count);
    FAIL() << "the counter must not wrap";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), error_number::kOverflow);
  }
  EXPECT_EQ(count, 32767);

  // The inner invocation reaches the limit, the outer one overflows.
  line = "Local=..\\Area";
  count = 32766;
  EXPECT_THROW(verwijderpuntpunt(line, count), RuntimeError);
}

TEST(Verwijderdirverwijzing, CutsOneLevelPerGroup) {
  EXPECT_EQ(verwijderdirverwijzing("C:\\Games\\FS2000", 2), "C:\\Games\\");
  EXPECT_EQ(verwijderdirverwijzing("C:\\Games\\FS2000", 3), "C:\\");
  EXPECT_EQ(verwijderdirverwijzing("C:\\Games\\FS2000", 4), std::nullopt);
  EXPECT_EQ(verwijderdirverwijzing("C:\\A\\B\\C\\D", 4), "C:\\A\\");
  EXPECT_EQ(verwijderdirverwijzing("\\\\server\\share\\FS2000", 2), "\\\\server\\share\\");
}

TEST(Verwijderdirverwijzing, ATrailingSeparatorIsNoLevel) {
  EXPECT_EQ(verwijderdirverwijzing("C:\\Games\\FS2000\\", 2), "C:\\Games\\");
  EXPECT_EQ(verwijderdirverwijzing("C:\\Games\\FS2000\\", 3), "C:\\");
  EXPECT_EQ(verwijderdirverwijzing("C:\\Games\\FS2000\\", 4), std::nullopt);
}

TEST(Verwijderdirverwijzing, ACountOfOneOrLessLeavesTheFolderAsItIs) {
  for (const int16_t aantal : {int16_t{1}, int16_t{0}, int16_t{-3}}) {
    EXPECT_EQ(verwijderdirverwijzing("C:\\Games\\FS2000", aantal), "C:\\Games\\FS2000");
    EXPECT_EQ(verwijderdirverwijzing("C:\\Games\\FS2000\\", aantal), "C:\\Games\\FS2000\\");
    EXPECT_EQ(verwijderdirverwijzing("", aantal), "");
  }
}

TEST(Verwijderdirverwijzing, GivesNothingAboveTheRootOfTheDrive) {
  EXPECT_EQ(verwijderdirverwijzing("C:\\", 2), std::nullopt);
  EXPECT_EQ(verwijderdirverwijzing("C:", 2), std::nullopt);
  EXPECT_EQ(verwijderdirverwijzing("", 2), std::nullopt);
  EXPECT_EQ(verwijderdirverwijzing("FS2000", 2), std::nullopt);
  EXPECT_EQ(verwijderdirverwijzing("C:\\Games\\FS2000", 32767), std::nullopt);
}

TEST(Verwijderdirverwijzing, LevelsEndingInMultiByteLetters) {
  // "C:\Spiele\Flugsimulator ä\Ö" with multi-byte letters at the ends of the levels.
  EXPECT_EQ(verwijderdirverwijzing("C:\\Spiele\\Flugsimulator \xC3\xA4\\\xC3\x96", 2),
            "C:\\Spiele\\Flugsimulator \xC3\xA4\\");
  EXPECT_EQ(verwijderdirverwijzing("C:\\Spiele\\Flugsimulator \xC3\xA4\\\xC3\x96", 3),
            "C:\\Spiele\\");
}

TEST(PathNormalisation, TheTableOfTheSimulatorFolder) {
  struct Row {
    std::string line;
    std::optional<std::string> base;
  };
  for (const Row& row : {Row{"Local=..\\Area", "C:\\Games\\"}, Row{"Local=..\\..\\Area", "C:\\"},
                         Row{"Local=..\\..\\..\\Area", std::nullopt}}) {
    const Stripped stripped = strip(row.line);
    EXPECT_EQ(stripped.line, "Local=Area");
    EXPECT_EQ(verwijderdirverwijzing("C:\\Games\\FS2000", stripped.parentLevelCount), row.base)
        << row.line;
  }
}

}  // namespace
}  // namespace tarvik
