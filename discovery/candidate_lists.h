#pragma once
// The window's two parallel candidate lists: List1 holds folder paths, List2 the display lines
// of the same folders. An entry goes into both or into neither, and never beyond
// kMaxListEntries, so that entry i of both always describes the same folder.

#include <string>

#include "platform/window_controls.h"

namespace tarvik {

bool candidateListsFull(const CheckList& List1);

// Appends folder to List1, then displayLine to List2 with the tick given. Appends nothing and
// returns false when the lists are full.
bool appendCandidate(CheckList& List1, CheckList& List2, const std::string& folder,
                     const std::string& displayLine, bool ticked);

}  // namespace tarvik
