#include "discovery/text_functions.h"

#include "platform/text_case.h"
#include "platform/utf8.h"

namespace tarvik {
namespace {

using utf8::characterLength;
using utf8::isContinuation;

// Byte offset of the 1-based character position, or text.size() when it lies beyond the end.
std::size_t offsetOfCharacter(std::string_view text, std::size_t position) {
  std::size_t offset = 0;
  for (std::size_t n = 1; n < position && offset < text.size(); ++n)
    offset += characterLength(text, offset);
  return offset;
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

std::string lowerCase(std::string_view text) { return lowerCaseText(text); }

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
