#include <windows.h>

#include "platform/ansi_path.h"
#include "platform/win32/wide_text.h"

namespace tarvik {

std::optional<std::string> shortPathName(const std::string& path) {
  const std::wstring wide = widen(path);
  const DWORD length = GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (length == 0) return std::nullopt;
  std::wstring shortForm(length, L'\0');
  const DWORD written = GetShortPathNameW(wide.c_str(), shortForm.data(), length);
  if (written == 0 || written >= length) return std::nullopt;
  shortForm.resize(written);
  return narrow(shortForm);
}

}  // namespace tarvik
