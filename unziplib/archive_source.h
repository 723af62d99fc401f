#pragma once
// Reading the archive at any offset through one large window, so that walking the entries in
// file order costs a read call only every megabyte.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "unziplib/unzip_platform.h"

namespace tarvik::unziplib {

class ArchiveSource {
 public:
  static constexpr std::size_t kWindowSize = 1u << 20;
  // What a reader that jumps from member to member reads at least: a member's local header and,
  // for most members, its data.
  static constexpr std::size_t kMemberReadAhead = 64u << 10;
  // The piece that read() hands out at once when streaming; it gives up to kWindowSize.
  static constexpr std::size_t kLargestRead = 256u << 10;

  // Each read outside the window reads readAhead bytes, or more when more are asked for.
  explicit ArchiveSource(InputFile& file, std::size_t readAhead = kWindowSize);

  uint64_t size() const { return file_.size(); }
  // Exactly length bytes (at most kWindowSize) at offset, valid until the next call. Raises a
  // damaged-archive error when the file ends before them.
  std::span<const uint8_t> read(uint64_t offset, std::size_t length);
  // A copy of length bytes at offset, of any length.
  std::vector<uint8_t> copy(uint64_t offset, std::size_t length);

 private:
  std::size_t readAt(uint64_t offset, std::span<uint8_t> buffer);

  InputFile& file_;
  std::size_t readAhead_;
  std::vector<uint8_t> window_;
  uint64_t windowStart_ = 0;
  std::size_t windowLength_ = 0;
};

// Little-endian fields of the archive's records.
inline uint16_t get16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }
inline uint32_t get32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
         static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

}  // namespace tarvik::unziplib
