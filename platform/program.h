#pragma once
// Facts about the running program and the system's text code page.

#include <string>
#include <string_view>

namespace tarvik {

// Full path of the running program's file, e.g. "C:\Downloads\tarvik_installer (1).exe".
std::string executablePath();

// The program's file name without folder and extension, e.g. "tarvik_installer (1)".
std::string executableBaseName();

// Text conversions between UTF-8 and the system's ANSI code page (identity where the system's
// narrow texts are UTF-8 already). Characters the code page lacks become "?".
std::string toAnsi(std::string_view utf8);
std::string fromAnsi(std::string_view ansi);

}  // namespace tarvik
