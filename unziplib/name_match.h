#pragma once
// Choosing members by the include and exclude names of a call: '*' stands for any run of
// characters (across '/' too), '?' for one; '\' counts as '/'.

#include <string>
#include <string_view>
#include <vector>

namespace tarvik::unziplib {

bool matchesPattern(std::string_view pattern, std::string_view name, bool caseSensitive);

class MemberFilter {
 public:
  MemberFilter(std::vector<std::string> includes, std::vector<std::string> excludes,
               bool caseSensitive);

  bool hasIncludes() const { return !includes_.empty(); }
  // True when the member is chosen: it matches an include name (or there are none) and no
  // exclude name. Remembers which include names matched.
  bool chooses(std::string_view name);
  // The include names that have chosen no member so far.
  std::vector<std::string> unmatchedIncludes() const;

 private:
  std::vector<std::string> includes_;
  std::vector<bool> includeMatched_;
  std::vector<std::string> excludes_;
  bool caseSensitive_;
};

}  // namespace tarvik::unziplib
