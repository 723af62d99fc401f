#include "platform/text_case.h"
#include "platform/utf8.h"

namespace tarvik {

std::string lowerCaseText(std::string_view utf8) {
  std::string lower;
  lower.reserve(utf8.size());
  for (std::size_t offset = 0; offset < utf8.size();) {
    const std::size_t length = utf8::characterLength(utf8, offset);
    const std::string_view character = utf8.substr(offset, length);
    if (utf8::wellFormedAt(utf8, offset))
      utf8::appendEncoded(lower, portableLowerCase(utf8::decode(character)));
    else
      lower.append(character);
    offset += length;
  }
  return lower;
}

}  // namespace tarvik
