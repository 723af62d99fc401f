#include "discovery/path_normalisation.h"

#include <limits>
#include <string_view>

#include "discovery/text_functions.h"
#include "platform/runtime_error.h"

namespace tarvik {
namespace {

constexpr std::size_t kKeptCharacters = 255;

void addOne(int16_t& counter) {
  if (counter == std::numeric_limits<int16_t>::max()) throw arithmeticOverflow();
  ++counter;
}

}  // namespace

std::string verwijderpuntpunt(std::string& pad, int16_t& parentLevelCount) {
  if (std::string_view(pad).starts_with(kParentRelativePrefix)) {
    pad = "Local=" + midCharacters(pad, 10, kKeptCharacters);
    pad = verwijderpuntpunt(pad, parentLevelCount);
  }
  addOne(parentLevelCount);
  return pad;
}

std::optional<std::string> verwijderdirverwijzing(const std::string& pad, int16_t aantal) {
  int n = aantal;
  std::string s = pad;
  while (n > 1) {
    if (s.empty()) return std::nullopt;
    s = withoutLastCharacter(s);
    if (!s.empty() && s.back() == '\\') --n;
  }
  return s;
}

}  // namespace tarvik
