#include "app/staging_leftovers.h"

#include <algorithm>
#include <cctype>

#include "app/payload_contents.h"
#include "platform/runtime_error.h"
#include "unziplib/tarvik_unzip.h"

namespace tarvik {

bool isStagingFileName(std::string_view name) {
  constexpr std::string_view prefix = TARVIK_UNZIP_STAGING_PREFIX;
  constexpr std::string_view suffix = ".tmp";
  constexpr std::size_t digits = 8;
  if (name.size() != prefix.size() + digits + suffix.size()) return false;
  const std::string_view number = name.substr(prefix.size(), digits);
  const std::string folded = foldedName(std::string(name));
  return folded.starts_with(prefix) && folded.ends_with(suffix) &&
         std::all_of(number.begin(), number.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

void RemoveStagingLeftovers(FileSystem& files, const std::string& folder) {
  if (!files.attributes(folder)) return;
  for (const std::string& path : files.filesIn(folder)) {
    if (!isStagingFileName(fileNameOf(path))) continue;
    try {
      // A link of that name is not ours: neither it nor what it points to is touched.
      if (files.setNormalAttributes(path)) files.deleteFile(path);
    } catch (const RuntimeError&) {
      // Held or protected: the checks before the update report such files.
    }
  }
}

}  // namespace tarvik
