#include <windows.h>

#include "platform/text_case.h"
#include "platform/utf8.h"
#include "platform/win32/wide_text.h"

namespace tarvik {
namespace {

// The system's lower case of well-formed UTF-8, one UTF-16 unit for one.
std::string systemLowerCase(std::string_view utf8) {
  std::wstring wide = widen(utf8);
  if (wide.empty()) return {};
  LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, wide.data(), static_cast<int>(wide.size()),
                wide.data(), static_cast<int>(wide.size()), nullptr, nullptr, 0);
  return narrow(wide);
}

}  // namespace

// Well-formed stretches go to the system; a stray byte would not survive the conversion to
// UTF-16, so it is kept apart.
std::string lowerCaseText(std::string_view utf8) {
  std::string lower;
  lower.reserve(utf8.size());
  std::size_t start = 0;
  for (std::size_t offset = 0; offset < utf8.size();) {
    const std::size_t length = utf8::characterLength(utf8, offset);
    if (!utf8::wellFormedAt(utf8, offset)) {
      lower += systemLowerCase(utf8.substr(start, offset - start));
      lower.append(utf8.substr(offset, length));
      start = offset + length;
    }
    offset += length;
  }
  return lower + systemLowerCase(utf8.substr(start));
}

}  // namespace tarvik
