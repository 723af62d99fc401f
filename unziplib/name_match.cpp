#include "unziplib/name_match.h"

#include <algorithm>
#include <cctype>

namespace tarvik::unziplib {
namespace {

char fold(char c, bool caseSensitive) {
  if (c == '\\') return '/';
  return caseSensitive ? c : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

bool matchesPattern(std::string_view pattern, std::string_view name, bool caseSensitive) {
  // Walks both texts; on a mismatch after a '*', lets that '*' take one more character.
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starAt = std::string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      starName = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || fold(pattern[p], caseSensitive) == fold(name[n], caseSensitive))) {
      ++p;
      ++n;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

MemberFilter::MemberFilter(std::vector<std::string> includes, std::vector<std::string> excludes,
                           bool caseSensitive)
    : includes_(std::move(includes)),
      includeMatched_(includes_.size(), false),
      excludes_(std::move(excludes)),
      caseSensitive_(caseSensitive) {}

bool MemberFilter::chooses(std::string_view name) {
  bool included = includes_.empty();
  for (std::size_t i = 0; i < includes_.size(); ++i) {
    if (matchesPattern(includes_[i], name, caseSensitive_)) {
      included = true;
      includeMatched_[i] = true;
    }
  }
  if (!included) return false;
  return std::none_of(excludes_.begin(), excludes_.end(), [&](const std::string& pattern) {
    return matchesPattern(pattern, name, caseSensitive_);
  });
}

std::vector<std::string> MemberFilter::unmatchedIncludes() const {
  std::vector<std::string> unmatched;
  for (std::size_t i = 0; i < includes_.size(); ++i)
    if (!includeMatched_[i]) unmatched.push_back(includes_[i]);
  return unmatched;
}

}  // namespace tarvik::unziplib
