#pragma once
// The few UTF-8 operations the core needs. A byte that does not start a well-formed sequence
// counts as one character of its own.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvik::utf8 {

bool isContinuation(unsigned char byte);

// Length in bytes of the character that starts at offset; 1 for a stray byte.
std::size_t characterLength(std::string_view text, std::size_t offset);

// True when the character that starts at offset is a well-formed sequence (ASCII included).
bool wellFormedAt(std::string_view text, std::size_t offset);

// The code point of one well-formed character.
char32_t decode(std::string_view character);

void appendEncoded(std::string& out, char32_t code);

}  // namespace tarvik::utf8
