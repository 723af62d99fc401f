#pragma once
// A small deterministic generator (SplitMix64) with its own range mapping, so that the payload
// is the same byte for byte with every standard library and on every machine.

#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tarvik::package {

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // A number from 0 to count - 1.
  uint64_t below(uint64_t count) {
    if (count == 0) throw std::invalid_argument("Random::below(0)");
    return next() % count;
  }

  // A number from low to high, both included.
  uint64_t between(uint64_t low, uint64_t high) { return low + below(high - low + 1); }

  // True with a chance of numerator in denominator.
  bool chance(uint64_t numerator, uint64_t denominator) { return below(denominator) < numerator; }

  template <typename T>
  void shuffle(std::vector<T>& items) {
    for (size_t i = items.size(); i > 1; --i) std::swap(items[i - 1], items[below(i)]);
  }

  // count distinct positions out of 0 .. size - 1, as flags.
  std::vector<bool> pick(size_t count, size_t size) {
    if (count > size) throw std::invalid_argument("Random::pick: more than there are");
    std::vector<size_t> order(size);
    for (size_t i = 0; i < size; ++i) order[i] = i;
    shuffle(order);
    std::vector<bool> picked(size, false);
    for (size_t i = 0; i < count; ++i) picked[order[i]] = true;
    return picked;
  }

 private:
  uint64_t state_;
};

}  // namespace tarvik::package
