#pragma once
// Little-endian UTF-16 text, as Windows resources hold it, to and from UTF-8.

#include <string>
#include <string_view>

namespace tarvik::package {

// Decodes little-endian UTF-16 bytes (an odd last byte is ignored); an unpaired surrogate
// becomes U+FFFD.
std::string utf16ToUtf8(std::string_view utf16Bytes);
// Encodes UTF-8 text as little-endian UTF-16 bytes, without a terminating NUL. Bytes that are
// not UTF-8 become U+FFFD.
std::string utf8ToUtf16(std::string_view utf8);

}  // namespace tarvik::package
