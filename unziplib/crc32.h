#pragma once
// The CRC-32 of zip members, as zlib's crc32() computes it: on x86 processors, 32- and 64-bit,
// with carry-less multiplication it folds sixteen bytes at a time, several times faster than
// zlib's tables; elsewhere, and for short pieces, it is zlib's own.

#include <cstdint>
#include <span>

namespace tarvik::unziplib {

// The CRC after `bytes`, continuing from `crc` (0 to start).
uint32_t crc32Update(uint32_t crc, std::span<const uint8_t> bytes);

}  // namespace tarvik::unziplib
