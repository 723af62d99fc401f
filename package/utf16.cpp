#include "package/utf16.h"

#include <cstdint>

#include "package/zip_layout.h"

namespace tarvik::package {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | c >> 6));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | c >> 12));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | c >> 18));
    out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The next code point of UTF-8 text at position at, which moves past it.
char32_t nextCodePoint(std::string_view text, size_t& at) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at++);
  if (lead < 0x80) return lead;
  int length = 0;
  char32_t c = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 1, c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 2, c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 3, c = lead & 0x07;
  } else {
    return kReplacement;
  }
  for (int i = 0; i < length; ++i) {
    if (at >= text.size() || (byte(at) & 0xC0) != 0x80) return kReplacement;
    c = c << 6 | (byte(at++) & 0x3F);
  }
  constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || isHighSurrogate(c) || isLowSurrogate(c))
    return kReplacement;
  return c;
}

}  // namespace

std::string utf16ToUtf8(std::string_view utf16Bytes) {
  std::string out;
  const size_t units = utf16Bytes.size() / 2;
  for (size_t i = 0; i < units; ++i) {
    const char32_t unit = getU16(utf16Bytes, 2 * i);
    if (isHighSurrogate(unit) && i + 1 < units && isLowSurrogate(getU16(utf16Bytes, 2 * i + 2))) {
      const char32_t low = getU16(utf16Bytes, 2 * ++i);
      appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10 | (low - 0xDC00)));
    } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
      appendUtf8(out, kReplacement);
    } else {
      appendUtf8(out, unit);
    }
  }
  return out;
}

std::string utf8ToUtf16(std::string_view utf8) {
  std::string out;
  for (size_t at = 0; at < utf8.size();) {
    const char32_t c = nextCodePoint(utf8, at);
    if (c < 0x10000) {
      putU16(out, static_cast<uint16_t>(c));
    } else {
      putU16(out, static_cast<uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
      putU16(out, static_cast<uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  return out;
}

}  // namespace tarvik::package
