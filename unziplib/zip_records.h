#pragma once
// The signatures and fixed sizes of the archive's records, and the local header's fields.

#include <cstddef>
#include <cstdint>
#include <limits>

#include "unziplib/archive_source.h"

namespace tarvik::unziplib::zip_records {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64EndSize = 56;  // without the extensible data that may follow
constexpr std::size_t kZip64LocatorSize = 20;

inline uint64_t get64(const uint8_t* at) { return get32(at) | uint64_t{get32(at + 4)} << 32; }

// a + b, or the largest value where the sum would not fit: for positions that a hostile archive
// sets near the top of the range.
inline uint64_t addClamped(uint64_t a, uint64_t b) {
  return b > std::numeric_limits<uint64_t>::max() - a ? std::numeric_limits<uint64_t>::max()
                                                       : a + b;
}

// A central record's length with its name, extra field and comment.
inline uint64_t centralRecordLength(const uint8_t* record) {
  return kCentralSize + get16(record + 28) + get16(record + 30) + get16(record + 32);
}

// A local header's fixed part; the sizes as its own fields give them (see extra_fields.h).
struct LocalHeader {
  uint32_t signature = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t crc = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  uint16_t nameLength = 0;
  uint16_t extraLength = 0;

  // The length of the header with its name and extra field: where the data starts.
  uint64_t length() const { return kLocalSize + nameLength + extraLength; }
};

inline LocalHeader parseLocalHeader(const uint8_t* at) {
  LocalHeader header;
  header.signature = get32(at);
  header.flags = get16(at + 6);
  header.method = get16(at + 8);
  header.crc = get32(at + 14);
  header.compressedSize = get32(at + 18);
  header.uncompressedSize = get32(at + 22);
  header.nameLength = get16(at + 26);
  header.extraLength = get16(at + 28);
  return header;
}

}  // namespace tarvik::unziplib::zip_records
