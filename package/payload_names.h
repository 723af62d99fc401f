#pragma once
// File names of the demo payload: plain ASCII, made of words of the add-on's world, unique
// without regard to case. Scenery names carry the prefix "tarv_"; texture names have none.

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "package/random.h"
#include "package/zip_layout.h"

namespace tarvik::package {

struct NameRequest {
  std::string_view extension;  // ".bgl"
  bool capitals = false;       // words start with a capital letter
  bool space = false;          // two words joined by a blank
  size_t exactLength = 0;      // length of the file name with extension; 0 leaves it free
};

class PayloadNames {
 public:
  explicit PayloadNames(Random& random) : random_(random) {}

  std::string sceneryName(const NameRequest& request);
  std::string textureName(const NameRequest& request);

  // Longest file name (with extension) that a request without exactLength gets.
  static constexpr size_t kMaxFreeLength = 23;

 private:
  std::string makeName(std::string_view prefix, const std::string_view* words, size_t wordCount,
                       const NameRequest& request);
  std::optional<std::string> makeStem(std::string_view prefix, const std::string_view* words,
                                      size_t wordCount, size_t stemLength, bool space);
  void appendDigits(std::string& stem, size_t count);

  Random& random_;
  std::set<std::string> taken_;  // lower case
};

}  // namespace tarvik::package
