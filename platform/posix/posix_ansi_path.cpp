#include "platform/ansi_path.h"

namespace tarvik {

// The narrow texts are UTF-8 here: every path survives them, and none has a short form.
std::optional<std::string> shortPathName(const std::string&) { return std::nullopt; }

}  // namespace tarvik
