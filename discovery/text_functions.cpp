#include "discovery/text_functions.h"

#include <cstdint>

namespace tarvik {
namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Number of bytes a lead byte announces, or 1 for a byte that cannot lead a sequence.
std::size_t announcedLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 1;
}

// Length in bytes of the character that starts at offset.
std::size_t characterLength(std::string_view text, std::size_t offset) {
  const std::size_t length = announcedLength(static_cast<unsigned char>(text[offset]));
  if (offset + length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if (!isContinuation(static_cast<unsigned char>(text[offset + i]))) return 1;
  }
  return length;
}

// Byte offset of the 1-based character position, or text.size() when it lies beyond the end.
std::size_t offsetOfCharacter(std::string_view text, std::size_t position) {
  std::size_t offset = 0;
  for (std::size_t n = 1; n < position && offset < text.size(); ++n)
    offset += characterLength(text, offset);
  return offset;
}

char32_t decode(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (bytes.size() == 1) return lead;
  char32_t code = lead & (0x7F >> bytes.size());
  for (std::size_t i = 1; i < bytes.size(); ++i)
    code = (code << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3F);
  return code;
}

void appendEncoded(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool isEven(char32_t code) { return code % 2 == 0; }

char32_t lowerCodePoint(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  // Latin-1: À..Þ except the multiplication sign.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  // Latin Extended-A: capital and small letters in pairs.
  if ((c >= 0x100 && c <= 0x137 && isEven(c)) || (c >= 0x139 && c <= 0x148 && !isEven(c)) ||
      (c >= 0x14A && c <= 0x177 && isEven(c)) || (c >= 0x179 && c <= 0x17E && !isEven(c)))
    return c + 1;
  if (c == 0x178) return 0xFF;  // Ÿ
  // Greek.
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 37;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 63;
  if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB)) return c + 0x20;
  // Cyrillic.
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c == 0x490) return 0x491;  // Ґ
  return c;
}

}  // namespace

std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t offset = 0; offset < text.size(); offset += characterLength(text, offset))
    ++count;
  return count;
}

std::string midCharacters(std::string_view text, std::size_t start, std::size_t count) {
  if (start < 1) start = 1;
  const std::size_t begin = offsetOfCharacter(text, start);
  std::size_t end = begin;
  for (std::size_t n = 0; n < count && end < text.size(); ++n) end += characterLength(text, end);
  return std::string(text.substr(begin, end - begin));
}

std::string_view characterAt(std::string_view text, std::size_t position) {
  if (position < 1) return {};
  const std::size_t offset = offsetOfCharacter(text, position);
  if (offset >= text.size()) return {};
  return text.substr(offset, characterLength(text, offset));
}

std::string withoutLastCharacter(std::string_view text) {
  if (text.empty()) return {};
  // A lead byte is never a continuation byte, so walking back over at most three continuation
  // bytes finds the only place where the last character can start.
  std::size_t start = text.size() - 1;
  while (start > 0 && text.size() - start < 4 &&
         isContinuation(static_cast<unsigned char>(text[start])))
    --start;
  if (characterLength(text, start) != text.size() - start) start = text.size() - 1;
  return std::string(text.substr(0, start));
}

std::string lowerCase(std::string_view text) {
  std::string lower;
  lower.reserve(text.size());
  for (std::size_t offset = 0; offset < text.size();) {
    const std::size_t length = characterLength(text, offset);
    const std::string_view character = text.substr(offset, length);
    const bool wellFormed = length > 1 || static_cast<unsigned char>(character[0]) < 0x80;
    const char32_t code = wellFormed ? decode(character) : 0;
    const char32_t lowerCode = wellFormed ? lowerCodePoint(code) : 0;
    if (lowerCode != code)
      appendEncoded(lower, lowerCode);
    else
      lower.append(character);
    offset += length;
  }
  return lower;
}

std::string trimSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string replaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
  if (find.empty()) return std::string(text);
  std::string result;
  std::size_t from = 0;
  for (std::size_t at = text.find(find); at != std::string_view::npos;
       at = text.find(find, from)) {
    result.append(text.substr(from, at - from));
    result.append(replacement);
    from = at + find.size();
  }
  result.append(text.substr(from));
  return result;
}

}  // namespace tarvik
