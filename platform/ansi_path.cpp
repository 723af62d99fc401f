#include "platform/ansi_path.h"

#include "platform/program.h"

namespace tarvik {

bool survivesAnsi(std::string_view utf8) { return fromAnsi(toAnsi(utf8)) == utf8; }

std::optional<std::string> ansiPathForm(const std::string& path) {
  if (survivesAnsi(path)) return path;
  const auto shortForm = shortPathName(path);
  if (shortForm && survivesAnsi(*shortForm)) return shortForm;
  return std::nullopt;
}

}  // namespace tarvik
