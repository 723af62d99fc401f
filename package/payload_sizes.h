#pragma once
// File sizes of one payload folder: spread over several orders of magnitude like real scenery
// and texture files, and adding up to the folder's exact total.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "package/random.h"

namespace tarvik::package {

struct SizeRange {
  uint32_t smallest = 0;
  uint32_t largest = 0;
};

// count sizes adding up to total. The file at pinnedSmallest (if any) gets range.smallest, the
// one at pinnedLargest range.largest; every other size lies strictly inside the range. Throws
// std::invalid_argument when the total cannot be reached that way.
std::vector<uint32_t> spreadSizes(size_t count, uint64_t total, SizeRange range,
                                  std::optional<size_t> pinnedSmallest,
                                  std::optional<size_t> pinnedLargest, Random& random);

}  // namespace tarvik::package
