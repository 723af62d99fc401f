#pragma once
// The fast inflater held against zlib: the same deflate stream and expected size given to both
// must give the same result and, when it decodes, the same bytes. zlib is driven as the library
// drives it when streaming: pieces of input, never more room than one byte past the size.

#include <cstdint>
#include <span>
#include <string>

namespace tarvik::fuzzing {

// What differs between the two, or nothing.
std::string inflateDisagreement(std::span<const uint8_t> stream, uint32_t size);

// The fuzz input's form: four bytes of expected size (little-endian, kept below 1 MiB), then
// the stream.
std::string inflateDisagreementFor(std::span<const uint8_t> input);

}  // namespace tarvik::fuzzing
