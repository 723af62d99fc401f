#include "unziplib/name_match.h"

#include <gtest/gtest.h>

namespace tarvik::unziplib {
namespace {

TEST(NameMatchTest, MatchesStarsAndQuestionMarks) {
  EXPECT_TRUE(matchesPattern("scenery/a.bgl", "scenery/a.bgl", true));
  EXPECT_FALSE(matchesPattern("scenery/a.bgl", "scenery/a.bglx", true));
  EXPECT_TRUE(matchesPattern("*", "anything/at/all", true));
  EXPECT_TRUE(matchesPattern("*", "", true));
  EXPECT_TRUE(matchesPattern("*.bgl", "scenery/deep/x.bgl", true));
  EXPECT_TRUE(matchesPattern("s*y/*a*.b?l", "scenery/data.bgl", true));
  EXPECT_FALSE(matchesPattern("s*y/*a*.b?l", "scenery/data.bgll", true));
  EXPECT_TRUE(matchesPattern("a*b*c", "aXbYbZc", true));
  EXPECT_FALSE(matchesPattern("a*b*c", "aXbYbZ", true));
  EXPECT_FALSE(matchesPattern("?", "", true));
  EXPECT_TRUE(matchesPattern("**?", "x", true));
}

TEST(NameMatchTest, FoldsCaseAndSeparatorsWhenAsked) {
  EXPECT_TRUE(matchesPattern("SCENERY\\A.BGL", "scenery/a.bgl", false));
  EXPECT_FALSE(matchesPattern("SCENERY/A.BGL", "scenery/a.bgl", true));
  EXPECT_TRUE(matchesPattern("scenery\\a.bgl", "scenery/a.bgl", true));
}

TEST(NameMatchTest, FilterCombinesIncludesAndExcludesAndRemembersMisses) {
  MemberFilter filter({"scenery/*", "texture/x.bmp", "docs/*"}, {"*.tmp"}, false);
  EXPECT_TRUE(filter.chooses("scenery/a.bgl"));
  EXPECT_FALSE(filter.chooses("scenery/a.tmp"));
  EXPECT_TRUE(filter.chooses("TEXTURE/X.BMP"));
  EXPECT_FALSE(filter.chooses("texture/y.bmp"));
  EXPECT_EQ(filter.unmatchedIncludes(), std::vector<std::string>{"docs/*"});

  MemberFilter everything({}, {"texture/*"}, false);
  EXPECT_FALSE(everything.hasIncludes());
  EXPECT_TRUE(everything.chooses("scenery/a.bgl"));
  EXPECT_FALSE(everything.chooses("texture/a.bmp"));
}

}  // namespace
}  // namespace tarvik::unziplib
