#include "unziplib/stored_text.h"

#include <algorithm>
#include <optional>

#include "unziplib/unzip_platform.h"

namespace tarvik::unziplib {

std::string storedText(std::string_view stored, bool storedAsUtf8) {
  if (storedAsUtf8) return std::string(stored);
  return fromOemCodePage(stored).value_or(std::string(stored));
}

std::string storedName(std::string_view stored, bool storedAsUtf8) {
  const std::optional<std::string> decoded =
      storedAsUtf8 ? std::optional<std::string>(stored) : fromOemCodePage(stored);
  if (decoded) {
    std::string name = *decoded;
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
  }
  std::string name(stored);
  for (std::size_t i = 0; i < name.size(); ++i)
    if (name[i] == '\\' && (i == 0 || static_cast<unsigned char>(name[i - 1]) < 0x80))
      name[i] = '/';
  return name;
}

}  // namespace tarvik::unziplib
