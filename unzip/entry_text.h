#pragma once
// Text routines of the binding for the entry paths the library reports. Positions are 1-based
// byte positions; the separators they look for are single bytes in UTF-8 and in the ANSI code
// pages alike.

#include <cstdint>
#include <string>

namespace tarvik::mUnzip {

// Replaces every `find` in text by `replacement`, scanning from the left. Returns one more than
// the position of the last character replaced, or 1 when there was none.
int32_t ReplaceAllText(std::string& text, char find, char replacement);

// Splits a listed entry path at its last "/": text keeps the part after it and folder receives
// the part before it, with any earlier "/" written as "\". The text is cut at its first NUL
// first. Without a "/" the text stays whole and folder is left as it was. A "\" already in the
// text does not split it.
void SplitEntryPath(std::string& text, std::string& folder);

}  // namespace tarvik::mUnzip
