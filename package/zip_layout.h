#pragma once
// Record signatures, record sizes and little-endian field access of the ZIP archive format, as
// far as the payload archive uses it: local headers, central directory entries and the end
// record of a single-disk archive without ZIP64 records.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvik::package {

constexpr uint32_t kLocalHeaderSignature = 0x04034B50;    // "PK", 3, 4
constexpr uint32_t kCentralHeaderSignature = 0x02014B50;  // "PK", 1, 2
constexpr uint32_t kEndRecordSignature = 0x06054B50;      // "PK", 5, 6

constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kMaxCommentLength = 0xFFFF;

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDataDescriptor = 0x0008;

constexpr uint16_t kInternalAttributeText = 0x0001;

// "Version made by": the version in the low byte, the host system in the high byte.
constexpr uint16_t versionMadeBy(uint8_t version, uint8_t host) {
  return static_cast<uint16_t>(host << 8 | version);
}
constexpr uint8_t madeByVersion(uint16_t madeBy) { return static_cast<uint8_t>(madeBy & 0xFF); }
constexpr uint8_t madeByHost(uint16_t madeBy) { return static_cast<uint8_t>(madeBy >> 8); }

void putU16(std::string& out, uint16_t value);
void putU32(std::string& out, uint32_t value);
// Reads a field at a position that the caller has checked to lie inside the bytes.
uint16_t getU16(std::string_view bytes, size_t at);
uint32_t getU32(std::string_view bytes, size_t at);

// The names of the package, its archive and the programs' tables are plain ASCII: their lower
// case, in which Windows matches them.
std::string lowerCase(std::string_view text);

// The fields that a local header repeats from its central directory entry.
struct ZipEntryFields {
  uint16_t versionNeeded = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t time = 0;  // MS-DOS time
  uint16_t date = 0;  // MS-DOS date
  uint32_t crc32 = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  std::string name;

  friend bool operator==(const ZipEntryFields&, const ZipEntryFields&) = default;
};

}  // namespace tarvik::package
