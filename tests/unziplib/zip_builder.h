#pragma once
// Archives made byte by byte for the cases no tool makes on purpose: damaged data, hostile
// names, wrong sizes, odd orders, unsupported features.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarvik::testing {

struct ZipMember {
  std::string name;
  std::string data;                 // the member's content
  uint16_t method = 8;              // 8: deflated by the builder; anything else: stored as is
  uint16_t flags = 0;
  uint16_t dosDate = (22 << 9) | (1 << 5) | 26;   // 26 January 2002
  uint16_t dosTime = (9 << 11) | (49 << 5) | 7;   // 09:49:14
  uint16_t internalAttributes = 0;
  std::string password;             // traditional encryption when set
  bool dataDescriptor = false;      // flag bit 3, local CRC and sizes 0, descriptor after data
  std::optional<uint32_t> crc;               // overrides the true CRC-32 (everywhere)
  std::optional<uint32_t> declaredSize;      // overrides the uncompressed size (everywhere)
  std::optional<std::string> localName;      // a different name in the local header
  std::optional<uint32_t> localCrc;          // a different CRC in the local header
  uint32_t centralCompressedSize = 0;        // when non-zero, overrides the central value
  uint32_t centralOffset = 0xFFFFFFFE;       // when not 0xFFFFFFFE, overrides the central value
  std::string centralExtra;
  std::string localExtra;
  std::string comment;                       // the member's comment, in the central record
  uint16_t versionMadeBy = 20;               // the high byte names the system: 0 MS-DOS, 3 Unix
  std::optional<uint32_t> externalAttributes;
  uint16_t diskStart = 0;
  uint64_t zeros = 0;  // stored members only: this many zero bytes after data, a hole on disk
};

class ZipBuilder {
 public:
  ZipBuilder& add(ZipMember member);
  ZipBuilder& file(const std::string& name, const std::string& data, uint16_t method = 8);
  ZipBuilder& folder(const std::string& name);

  std::string prefix;     // bytes before the archive (offsets still count from the archive)
  std::string comment;    // the archive comment
  std::string trailer;    // bytes after the end record
  uint16_t disk = 0;      // this disk's number in the end record
  // Sizes and offsets in ZIP64 extra fields, with the ZIP64 end record and its locator: always,
  // or where they do not fit the headers' own fields.
  enum class Zip64 { kWhereNeeded, kAlways } zip64 = Zip64::kWhereNeeded;

  std::string build() const;
  // Writes the archive with each member's zeros left as a hole: an archive of gigabytes takes a
  // few kilobytes of disk.
  void write(const std::filesystem::path& file) const;

 private:
  // The archive's bytes in pieces, each followed by that many zero bytes.
  using Pieces = std::vector<std::pair<std::string, uint64_t>>;
  Pieces pieces() const;

  std::vector<ZipMember> members_;
};

std::string deflated(const std::string& data);
uint32_t crcOf(const std::string& data);
// Text of n bytes that compresses well.
std::string sampleText(std::size_t n, unsigned seed = 1);

}  // namespace tarvik::testing
