#include "platform/utf8.h"

namespace tarvik::utf8 {
namespace {

// Number of bytes a lead byte announces, or 1 for a byte that cannot lead a sequence.
std::size_t announcedLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 1;
}

}  // namespace

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

std::size_t characterLength(std::string_view text, std::size_t offset) {
  const std::size_t length = announcedLength(static_cast<unsigned char>(text[offset]));
  if (offset + length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if (!isContinuation(static_cast<unsigned char>(text[offset + i]))) return 1;
  }
  return length;
}

bool wellFormedAt(std::string_view text, std::size_t offset) {
  return characterLength(text, offset) > 1 || static_cast<unsigned char>(text[offset]) < 0x80;
}

char32_t decode(std::string_view character) {
  const auto lead = static_cast<unsigned char>(character[0]);
  if (character.size() == 1) return lead;
  char32_t code = lead & (0x7F >> character.size());
  for (std::size_t i = 1; i < character.size(); ++i)
    code = (code << 6) | (static_cast<unsigned char>(character[i]) & 0x3F);
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

}  // namespace tarvik::utf8
