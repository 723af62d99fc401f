#pragma once
// Raw deflate streams (no zlib or gzip wrapper), as ZIP entries of method 8 hold them, and the
// CRC-32 of ZIP headers.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarvik::package {

class DeflateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr int kDefaultCompressionLevel = 6;

std::string deflateRaw(std::string_view data, int level = kDefaultCompressionLevel);
// Inflates a complete raw deflate stream that must give exactly expectedSize bytes and use all
// of the compressed bytes; throws DeflateError otherwise.
std::string inflateRaw(std::string_view compressed, size_t expectedSize);

uint32_t crc32Of(std::string_view data);

}  // namespace tarvik::package
