#include "unziplib/overwrite_policy.h"

#include <vector>

namespace tarvik::unziplib {

OverwritePolicy::OverwritePolicy(const OverwriteSwitches& switches, TarvikReplaceCallback replace)
    : switches_(switches), replace_(replace) {}

WriteDecision OverwritePolicy::decide(const std::string& target, const std::string& shownName,
                                      const LocalTime& memberTime) {
  const bool byTime = switches_.onlyNewer || switches_.freshen;
  // Replacing needs no look at the file: moving the new file over it fails if it is a folder.
  if (switches_.overwrite && !byTime) return WriteDecision::kWrite;
  if (pathKind(target) == PathKind::kNothing)
    return switches_.freshen ? WriteDecision::kSkipMissing : WriteDecision::kWrite;
  if (byTime) {
    const auto fileTime = modifiedTime(target);
    if (fileTime && !(memberTime > *fileTime)) return WriteDecision::kSkipNotNewer;
  }
  if (switches_.overwrite) return WriteDecision::kWrite;
  if (switches_.prompt) return ask(shownName);
  // Updating older files is what the newer-only switches are for.
  return byTime ? WriteDecision::kWrite : WriteDecision::kSkipExisting;
}

bool OverwritePolicy::likelyWrites(const std::string& target) const {
  if (switches_.freshen) return pathKind(target) == PathKind::kFile;
  if (switches_.overwrite && !switches_.onlyNewer) return true;
  return pathKind(target) == PathKind::kNothing;
}

WriteDecision OverwritePolicy::ask(const std::string& shownName) {
  if (replaceAll_) return WriteDecision::kWrite;
  if (replaceNone_ || !replace_) return WriteDecision::kSkipAnswered;
  std::vector<char> name(shownName.begin(), shownName.end());
  name.push_back('\0');
  switch (replace_(name.data())) {
    case TARVIK_REPLACE_YES:
      return WriteDecision::kWrite;
    case TARVIK_REPLACE_ALL:
      replaceAll_ = true;
      return WriteDecision::kWrite;
    case TARVIK_REPLACE_NONE:
      replaceNone_ = true;
      return WriteDecision::kSkipAnswered;
    default:
      return WriteDecision::kSkipAnswered;
  }
}

}  // namespace tarvik::unziplib
