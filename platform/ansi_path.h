#pragma once
// Paths for interfaces that take texts in the system's ANSI code page (the unzip library). A
// code page spells only some characters; a path it cannot spell would arrive there with question
// marks in it, naming nothing.

#include <optional>
#include <string>
#include <string_view>

namespace tarvik {

// True when the text converts to the ANSI code page and back unchanged.
bool survivesAnsi(std::string_view utf8);

// A form of the path that survives that conversion: the path itself when it does, else its
// short (8.3) form when the file or folder exists and the system has one that does; nothing
// otherwise.
std::optional<std::string> ansiPathForm(const std::string& path);

// The system's short (8.3) form of an existing path; nothing where there is none.
std::optional<std::string> shortPathName(const std::string& path);

}  // namespace tarvik
