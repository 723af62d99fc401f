// The folded CRC-32 against zlib's: every length around the fold's block sizes, every alignment,
// any starting value, and a piece continued from another.

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

#include "unziplib/crc32.h"

namespace tarvik::unziplib {
namespace {

TEST(Crc32Test, AgreesWithZlibOnEveryLengthAlignmentAndStart) {
  std::vector<uint8_t> bytes(5000);
  uint32_t state = 1;
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 16);
  int mismatches = 0;
  for (std::size_t length = 0; length <= 300; ++length)
    for (std::size_t offset = 0; offset < 4; ++offset)
      for (const uint32_t start : {0u, 0x12345678u, 0xffffffffu})
        if (crc32Update(start, std::span(bytes).subspan(offset, length)) !=
            crc32_z(start, bytes.data() + offset, length))
          ++mismatches;
  EXPECT_EQ(mismatches, 0);

  const uint32_t whole = crc32Update(0, bytes);
  EXPECT_EQ(whole, crc32_z(0, bytes.data(), bytes.size()));
  EXPECT_EQ(crc32Update(crc32Update(0, std::span(bytes).first(1234)), std::span(bytes).subspan(1234)),
            whole);
}

}  // namespace
}  // namespace tarvik::unziplib
