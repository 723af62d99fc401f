#include "package/payload_sizes.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace tarvik::package {
namespace {

constexpr int kScalingRounds = 16;

// A size drawn evenly from one of the doublings between the smallest and the largest size, so
// that small files are as common per doubling as large ones.
uint64_t drawSize(SizeRange range, Random& random) {
  std::vector<uint64_t> starts;
  for (uint64_t start = range.smallest; start < range.largest; start *= 2) starts.push_back(start);
  const uint64_t low = starts[random.below(starts.size())];
  const uint64_t high = std::min<uint64_t>(low * 2, range.largest);
  return random.between(low, high);
}

}  // namespace

std::vector<uint32_t> spreadSizes(size_t count, uint64_t total, SizeRange range,
                                  std::optional<size_t> pinnedSmallest,
                                  std::optional<size_t> pinnedLargest, Random& random) {
  if (range.smallest < 1 || range.largest < range.smallest + 2)
    throw std::invalid_argument("a size range too narrow to spread sizes in");
  std::vector<uint64_t> sizes(count);
  std::vector<size_t> free;
  uint64_t pinnedTotal = 0;
  for (size_t i = 0; i < count; ++i) {
    if (pinnedSmallest == i) {
      sizes[i] = range.smallest;
    } else if (pinnedLargest == i) {
      sizes[i] = range.largest;
    } else {
      sizes[i] = drawSize(range, random);
      free.push_back(i);
      continue;
    }
    pinnedTotal += sizes[i];
  }
  const uint64_t lowest = range.smallest + 1;
  const uint64_t highest = range.largest - 1;
  if (total < pinnedTotal + free.size() * lowest || total > pinnedTotal + free.size() * highest)
    throw std::invalid_argument("sizes cannot add up to " + std::to_string(total));
  const uint64_t wanted = total - pinnedTotal;
  const auto freeTotal = [&] {
    return std::accumulate(free.begin(), free.end(), uint64_t{0},
                           [&](uint64_t sum, size_t i) { return sum + sizes[i]; });
  };

  // Scale the free sizes towards the wanted total, keeping them inside the range ...
  for (int round = 0; round < kScalingRounds; ++round) {
    const uint64_t current = freeTotal();
    for (size_t i : free) sizes[i] = std::clamp(sizes[i] * wanted / current, lowest, highest);
  }
  // ... and settle the last difference a byte at a time.
  for (uint64_t current = freeTotal(); current != wanted;) {
    bool moved = false;
    for (size_t i : free) {
      if (current < wanted && sizes[i] < highest) {
        ++sizes[i], ++current, moved = true;
      } else if (current > wanted && sizes[i] > lowest) {
        --sizes[i], --current, moved = true;
      }
      if (current == wanted) break;
    }
    if (!moved) throw std::logic_error("sizes stopped short of their total");
  }
  return std::vector<uint32_t>(sizes.begin(), sizes.end());
}

}  // namespace tarvik::package
