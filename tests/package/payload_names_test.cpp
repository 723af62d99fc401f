#include "package/payload_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace tarvik::package {
namespace {

bool hasCapital(const std::string& name) {
  return std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

TEST(PayloadNames, SceneryNamesCarryThePrefixAndTheExtension) {
  Random random(3);
  PayloadNames names(random);
  for (int i = 0; i < 50; ++i) {
    const std::string name = names.sceneryName({".bgl", false, false, 0});
    EXPECT_TRUE(name.starts_with("tarv_")) << name;
    EXPECT_TRUE(name.ends_with(".bgl")) << name;
    EXPECT_FALSE(hasCapital(name)) << name;
    EXPECT_GE(name.size(), 12u) << name;
    EXPECT_LE(name.size(), PayloadNames::kMaxFreeLength) << name;
  }
}

TEST(PayloadNames, RequestsForCapitalsBlanksAndLengthsAreMet) {
  Random random(4);
  PayloadNames names(random);
  const std::string capital = names.textureName({".bmp", true, false, 0});
  EXPECT_TRUE(hasCapital(capital)) << capital;
  EXPECT_TRUE(capital.ends_with(".bmp")) << capital;  // extensions stay lower case

  const std::string spaced = names.textureName({".bmp", false, true, 0});
  EXPECT_EQ(std::count(spaced.begin(), spaced.end(), ' '), 1) << spaced;
  EXPECT_EQ(std::count(spaced.begin(), spaced.end(), '_'), 0) << spaced;

  for (size_t length : {12u, 20u, 25u}) {
    const std::string exact = names.sceneryName({".bgl", true, false, length});
    EXPECT_EQ(exact.size(), length) << exact;
    EXPECT_TRUE(exact.starts_with("Tarv_")) << exact;
  }
}

TEST(PayloadNames, NoTwoNamesDifferOnlyInCase) {
  Random random(5);
  PayloadNames names(random);
  std::set<std::string> seen;
  for (int i = 0; i < 400; ++i) {
    const bool capitals = i % 2 == 0;
    const std::string name = i % 3 == 0 ? names.sceneryName({".bgl", capitals, false, 0})
                                        : names.textureName({".0af", capitals, false, 0});
    EXPECT_TRUE(seen.insert(lowerCase(name)).second) << name;
    for (char c : name) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << name;
  }
}

TEST(PayloadNames, RefusesALengthWithoutRoomForAName) {
  Random random(6);
  PayloadNames names(random);
  EXPECT_THROW(names.sceneryName({".bgl", false, false, 9}), std::invalid_argument);
}

}  // namespace
}  // namespace tarvik::package
