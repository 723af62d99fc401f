#include "unzip/entry_text.h"

namespace tarvik::mUnzip {

int32_t ReplaceAllText(std::string& text, char find, char replacement) {
  int32_t nextPosition = 1;
  for (std::size_t index = text.find(find); index != std::string::npos;
       index = text.find(find, index + 1)) {
    text[index] = replacement;
    nextPosition = static_cast<int32_t>(index) + 2;
  }
  return nextPosition;
}

void SplitEntryPath(std::string& text, std::string& folder) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) text.erase(nul);

  const int32_t afterLastSeparator = ReplaceAllText(text, '/', '\\');
  if (afterLastSeparator > 1) {
    const auto separatorIndex = static_cast<std::size_t>(afterLastSeparator - 2);
    folder = text.substr(0, separatorIndex);
    text.erase(0, separatorIndex + 1);
  }
}

}  // namespace tarvik::mUnzip
