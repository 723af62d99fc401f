#pragma once
// Inflating a member whose raw deflate data is wholly in memory. With all of its input at hand,
// the decoder reads the input eight bytes at a time and, away from the ends of its output
// window, writes literals and copies matches a word at a time without bounds checks: the
// library's fast path for the members most archives are made of. The output goes through a
// window of 32 KiB of history and kOutputPiece bytes of new output, handed to a sink piece by
// piece, so memory stays the same whatever the member's size.
//
// It refuses every code and stream that zlib refuses, and names the fault in the same terms.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "unziplib/data_sink.h"

namespace tarvik::unziplib {

enum class InflateResult {
  kDone,      // exactly the expected bytes, and the stream's last block ended
  kInvalid,   // invalid compressed data
  kCutShort,  // the data ends before the stream does
  kTooLong,   // more bytes than expected
  kTooShort,  // the stream ended with fewer bytes than expected
};

class FastInflater {
 public:
  static constexpr std::size_t kHistory = 32u << 10;
  static constexpr std::size_t kOutputPiece = 256u << 10;

  // Decodes the deflate stream at the start of `in` (bytes after its last block are ignored,
  // as zlib ignores them), expecting `size` bytes, and hands them to the sink. What the sink
  // received must be thrown away unless the result is kDone.
  InflateResult inflate(std::span<const uint8_t> in, uint64_t size, DataSink& sink);

 private:
  std::unique_ptr<uint8_t[]> window_;
};

}  // namespace tarvik::unziplib
