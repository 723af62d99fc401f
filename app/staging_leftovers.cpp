#include "app/staging_leftovers.h"

#include <algorithm>
#include <cctype>

#include "platform/runtime_error.h"
#include "unziplib/tarvik_unzip.h"

namespace tarvik {
namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string_view baseName(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool isStagingFileName(std::string_view name) {
  constexpr std::string_view prefix = TARVIK_UNZIP_STAGING_PREFIX;
  constexpr std::string_view suffix = ".tmp";
  constexpr std::size_t digits = 8;
  if (name.size() != prefix.size() + digits + suffix.size()) return false;
  const std::string_view number = name.substr(prefix.size(), digits);
  return equalIgnoringCase(name.substr(0, prefix.size()), prefix) &&
         std::all_of(number.begin(), number.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }) &&
         equalIgnoringCase(name.substr(prefix.size() + digits), suffix);
}

void RemoveStagingLeftovers(FileSystem& files, const std::string& folder) {
  if (!files.attributes(folder)) return;
  for (const std::string& path : files.filesIn(folder)) {
    if (!isStagingFileName(baseName(path))) continue;
    try {
      files.setNormalAttributes(path);
      files.deleteFile(path);
    } catch (const RuntimeError&) {
      // Held or protected: the checks before the update report such files.
    }
  }
}

}  // namespace tarvik
