#pragma once
// Conversions between the core's UTF-8 texts and the Windows API's UTF-16.

#include <string>
#include <string_view>

namespace tarvik {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);
// A path for Windows' file functions at any length: widened, in its long form where it is long
// (long_path.h).
std::wstring widePath(std::string_view utf8);

}  // namespace tarvik
