#include <filesystem>
#include <system_error>

#include "platform/program.h"

namespace tarvik {

std::string executablePath() {
  std::error_code error;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::string executableBaseName() { return std::filesystem::path(executablePath()).stem().string(); }

std::string toAnsi(std::string_view utf8) { return std::string(utf8); }
std::string fromAnsi(std::string_view ansi) { return std::string(ansi); }

}  // namespace tarvik
