#include "discovery/candidate_lists.h"

namespace tarvik {

bool candidateListsFull(const CheckList& List1) { return List1.count() >= kMaxListEntries; }

bool appendCandidate(CheckList& List1, CheckList& List2, const std::string& folder,
                     const std::string& displayLine, bool ticked) {
  if (candidateListsFull(List1)) return false;
  List1.addItem(folder);
  List2.addItem(displayLine);
  List2.setSelected(List1.count() - 1, ticked);
  return true;
}

}  // namespace tarvik
