#pragma once
// Text operations of the discovery on UTF-8 strings. Positions and lengths count characters,
// not bytes, so that a cut never splits a character. A byte that does not start a well-formed
// UTF-8 sequence counts as one character of its own.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvik {

constexpr std::size_t kAllCharacters = static_cast<std::size_t>(-1);

std::size_t characterCount(std::string_view text);

// The characters from the 1-based position start on, at most count of them; empty when start
// lies beyond the end.
std::string midCharacters(std::string_view text, std::size_t start,
                          std::size_t count = kAllCharacters);

// The character at the 1-based position, or the empty text beyond the end.
std::string_view characterAt(std::string_view text, std::size_t position);

// The text without its last character (the empty text stays empty).
std::string withoutLastCharacter(std::string_view text);

// Lower case as Windows has it (platform/text_case.h); stray bytes are kept as they are.
std::string lowerCase(std::string_view text);

// The text without leading and trailing blanks (only the space character counts).
std::string trimSpaces(std::string_view text);

// Every occurrence of find, from left to right and without overlap, replaced by replacement.
std::string replaceAll(std::string_view text, std::string_view find, std::string_view replacement);

}  // namespace tarvik
