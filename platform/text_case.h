#pragma once
// Lower case as Windows has it: every character maps to exactly one character, and only to one
// whose upper case is the character again (so İ keeps its case rather than become i or a
// dotless ı). On Windows the system's own mapping does it (LCMapStringEx, invariant locale);
// elsewhere a portable table that agrees with it on every character of the Windows ANSI code
// pages.

#include <string>
#include <string_view>

namespace tarvik {

// The lower case of UTF-8 text; a byte that is no well-formed UTF-8 is kept as it is.
std::string lowerCaseText(std::string_view utf8);

// The portable table: the lower case of one character, or the character itself.
char32_t portableLowerCase(char32_t c);

}  // namespace tarvik
