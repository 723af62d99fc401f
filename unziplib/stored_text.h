#pragma once
// Names and comments as the archive stores them, as UTF-8. Text flagged as UTF-8 is taken as it
// is; other text is in the code page that the format names for it, the system's OEM code page,
// decoded where the system has one (Windows) and otherwise kept byte for byte.

#include <string>
#include <string_view>

namespace tarvik::unziplib {

// A comment or other text.
std::string storedText(std::string_view stored, bool storedAsUtf8);

// An entry name with '/' between its parts. A '\' counts as '/' only where it is one: in text
// that is decoded, every '\' is; in bytes kept as they are, a 0x5C after a byte of 0x80 or more
// may be the second byte of a double-byte character (Shift-JIS, GBK, Big5) and stays as it is.
std::string storedName(std::string_view stored, bool storedAsUtf8);

}  // namespace tarvik::unziplib
