// The back-off for files held for a moment, with its pauses recorded rather than slept.

#include "platform/held_file_retry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace tarvik {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Attempts {
  int attempts = 0;
  std::vector<std::chrono::milliseconds> pauses;
  bool succeeded = false;
};

// Attempts that fail `failures` times (forever when negative), each failure a hold or not.
Attempts retried(int failures, bool held) {
  Attempts r;
  r.succeeded = retryWhileHeld([&] { return ++r.attempts > failures && failures >= 0; },
                               [&] { return held; },
                               [&](std::chrono::milliseconds pause) { r.pauses.push_back(pause); });
  return r;
}

TEST(HeldFileRetry, WaitsOutAHoldWithPausesThatDoubleFromTwoMilliseconds) {
  const Attempts r = retried(4, true);
  EXPECT_TRUE(r.succeeded);
  EXPECT_EQ(r.attempts, 5);
  EXPECT_THAT(r.pauses, ElementsAre(2ms, 4ms, 8ms, 16ms));
  EXPECT_TRUE(retried(0, true).pauses.empty()) << "nothing waits while nothing fails";
}

TEST(HeldFileRetry, AHoldPastTheBoundFailsAfterFiveSecondsOfPausesOfATenthAtMost) {
  const Attempts r = retried(-1, true);
  EXPECT_FALSE(r.succeeded);
  EXPECT_EQ(std::accumulate(r.pauses.begin(), r.pauses.end(), 0ms), 5000ms);
  EXPECT_EQ(*std::max_element(r.pauses.begin(), r.pauses.end()), 100ms);
}

TEST(HeldFileRetry, AnyOtherFailureEndsAtOnce) {
  const Attempts r = retried(-1, false);
  EXPECT_FALSE(r.succeeded);
  EXPECT_EQ(r.attempts, 1);
  EXPECT_THAT(r.pauses, IsEmpty());
}

}  // namespace
}  // namespace tarvik
