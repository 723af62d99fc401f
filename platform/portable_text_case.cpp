#include "platform/text_case.h"

namespace tarvik {
namespace {

bool isEven(char32_t code) { return code % 2 == 0; }
bool within(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

// Latin Extended-A holds capital and small letters in pairs, the capital first.
bool isLatinExtendedACapital(char32_t c) {
  return (within(c, 0x100, 0x12F) && isEven(c)) || (within(c, 0x132, 0x137) && isEven(c)) ||
         (within(c, 0x139, 0x148) && !isEven(c)) || (within(c, 0x14A, 0x177) && isEven(c)) ||
         (within(c, 0x179, 0x17E) && !isEven(c));
}

}  // namespace

// Windows maps a capital only to a small letter that maps back to it: İ, the Ohm sign and the
// Angstrom sign keep their case, as they do in its invariant table.
char32_t portableLowerCase(char32_t c) {
  if (within(c, U'A', U'Z')) return c + 0x20;
  if (within(c, 0xC0, 0xDE) && c != 0xD7) return c + 0x20;  // Latin-1, not the sign ×
  if (isLatinExtendedACapital(c)) return c + 1;
  if (c == 0x178) return 0xFF;   // Ÿ
  if (c == 0x1A0 || c == 0x1AF) return c + 1;  // Ơ Ư
  // Greek.
  if (c == 0x386) return 0x3AC;
  if (within(c, 0x388, 0x38A)) return c + 37;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 63;
  if (within(c, 0x391, 0x3A1) || within(c, 0x3A3, 0x3AB)) return c + 0x20;
  // Cyrillic.
  if (within(c, 0x400, 0x40F)) return c + 0x50;
  if (within(c, 0x410, 0x42F)) return c + 0x20;
  if (c == 0x490) return 0x491;  // Ґ
  // Roman numerals and full-width letters of the East Asian code pages.
  if (within(c, 0x2160, 0x216F)) return c + 0x10;
  if (within(c, 0xFF21, 0xFF3A)) return c + 0x20;
  return c;
}

}  // namespace tarvik
