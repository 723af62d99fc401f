#include "discovery/addon_version.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

TEST(AddonVersion, TheMarkerSizeDecidesTheVersionByExactEquality) {
  struct Row {
    uint64_t size;
    std::string name;
    bool offered;
    std::string text;
    bool preselected;
  };
  for (const Row& row : {
           Row{442751, "1.0", false, "", false},
           Row{460674, "1.1", false, "", false},
           Row{1071681, "2.0", true, "Tarvik versie 2.0         ", true},
           Row{1040543, "2.1", true, "Tarvik versie 2.1         ", false},
           Row{0, "unknown", true, "Tarvik versie onbekend    ", false},
           Row{442750, "unknown", true, "Tarvik versie onbekend    ", false},
           Row{1071682, "unknown", true, "Tarvik versie onbekend    ", false},
           Row{1071681 + (uint64_t{1} << 32), "unknown", true, "Tarvik versie onbekend    ",
               false},
       }) {
    const AddonVersion& version = addonVersionForMarkerSize(row.size);
    EXPECT_EQ(version.name, row.name) << row.size;
    EXPECT_EQ(version.offered, row.offered) << row.size;
    EXPECT_EQ(version.displayText, row.text) << row.size;
    EXPECT_EQ(version.preselected, row.preselected) << row.size;
    if (version.offered) {
      EXPECT_EQ(version.displayText.size(), 26u);
    }
  }
}

TEST(AddonVersion, TheMarkerSuffixIs17Characters) {
  EXPECT_EQ(std::string(kMarkerSuffix), "\\scenery\\qiro.bgl");
  EXPECT_EQ(std::string(kMarkerSuffix).size(), 17u);
}

}  // namespace
}  // namespace tarvik
