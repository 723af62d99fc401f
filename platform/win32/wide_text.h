#pragma once
// Conversions between the core's UTF-8 texts and the Windows API's UTF-16.

#include <string>
#include <string_view>

namespace tarvik {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

}  // namespace tarvik
