#include <windows.h>

#include <string>

#include "platform/program.h"
#include "platform/win32/wide_text.h"

namespace tarvik {

std::string executablePath() {
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

std::string executableBaseName() {
  std::string name = executablePath();
  const auto slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const auto dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

}  // namespace tarvik
