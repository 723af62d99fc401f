#include "package/payload_sizes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace tarvik::package {
namespace {

uint64_t sum(const std::vector<uint32_t>& sizes) {
  return std::accumulate(sizes.begin(), sizes.end(), uint64_t{0});
}

TEST(PayloadSizes, AddUpToTheTotalWithThePinnedExtremes) {
  Random random(7);
  const SizeRange range{148, 1526557};
  const std::vector<uint32_t> sizes = spreadSizes(237, 47024475, range, 3, 200, random);
  ASSERT_EQ(sizes.size(), 237u);
  EXPECT_EQ(sum(sizes), 47024475u);
  EXPECT_EQ(sizes[3], 148u);
  EXPECT_EQ(sizes[200], 1526557u);
  for (size_t i = 0; i < sizes.size(); ++i) {
    if (i == 3 || i == 200) continue;
    EXPECT_GT(sizes[i], 148u) << i;
    EXPECT_LT(sizes[i], 1526557u) << i;
  }
}

TEST(PayloadSizes, SpreadOverSeveralOrdersOfMagnitude) {
  Random random(11);
  const std::vector<uint32_t> sizes =
      spreadSizes(274, 56275210, {148, 1526557}, std::nullopt, std::nullopt, random);
  EXPECT_EQ(sum(sizes), 56275210u);
  const auto countBelow = [&](uint32_t limit) {
    return std::count_if(sizes.begin(), sizes.end(), [&](uint32_t size) { return size < limit; });
  };
  EXPECT_GT(countBelow(10000), 20);
  EXPECT_GT(countBelow(1000000) - countBelow(100000), 20);
}

TEST(PayloadSizes, SameSeedSameSizes) {
  Random first(5), second(5), other(6);
  const auto a = spreadSizes(50, 5000000, {148, 1526557}, 0, 1, first);
  EXPECT_EQ(a, spreadSizes(50, 5000000, {148, 1526557}, 0, 1, second));
  EXPECT_NE(a, spreadSizes(50, 5000000, {148, 1526557}, 0, 1, other));
}

TEST(PayloadSizes, RefuseTotalsOutOfReach) {
  Random random(1);
  // Ten files strictly between 10 and 20 hold at least 110 and at most 190 bytes.
  EXPECT_THROW(spreadSizes(10, 109, {10, 20}, std::nullopt, std::nullopt, random),
               std::invalid_argument);
  EXPECT_THROW(spreadSizes(10, 191, {10, 20}, std::nullopt, std::nullopt, random),
               std::invalid_argument);
  EXPECT_EQ(sum(spreadSizes(10, 110, {10, 20}, std::nullopt, std::nullopt, random)), 110u);
  EXPECT_EQ(sum(spreadSizes(10, 190, {10, 20}, std::nullopt, std::nullopt, random)), 190u);
  EXPECT_THROW(spreadSizes(3, 100, {10, 11}, std::nullopt, std::nullopt, random),
               std::invalid_argument);
}

}  // namespace
}  // namespace tarvik::package
