#pragma once
// A reader of the headers of a Windows program file (PE32 or PE32+): its sections, its data
// directories and the translation of relative virtual addresses into file positions. It reads
// from bytes in memory and checks every position it follows against their length.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik::package {

class PeFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PeSection {
  std::string name;
  uint32_t virtualSize = 0;
  uint32_t virtualAddress = 0;
  uint32_t rawSize = 0;
  uint32_t rawPosition = 0;
};

struct PeDataDirectory {
  uint32_t virtualAddress = 0;
  uint32_t size = 0;
};

// The processor a file is made for (its file header's "Machine").
namespace pe_machine {
inline constexpr uint16_t kI386 = 0x014C;
inline constexpr uint16_t kAmd64 = 0x8664;
}  // namespace pe_machine

namespace pe_directory {
inline constexpr size_t kExports = 0;
inline constexpr size_t kResources = 2;
// A file position, not an address: the Authenticode signature behind everything else.
inline constexpr size_t kCertificates = 4;
inline constexpr size_t kDebug = 6;
}  // namespace pe_directory

class PeImage {
 public:
  // Throws PeFormatError when the bytes are not a program file whose headers hold together.
  explicit PeImage(std::string bytes);

  std::string_view bytes() const { return bytes_; }
  bool is64Bit() const { return is64Bit_; }
  uint16_t machine() const { return machine_; }
  // The checksum stored in the optional header, and the one computed over the bytes as the
  // linker computes it (16-bit sums with carries folded in, the checksum field taken as 0, plus
  // the length). A linker may leave the stored one 0.
  uint32_t checksum() const { return checksum_; }
  uint32_t computedChecksum() const;
  // Where the checksum and a data directory's entry lie in the file: the fields that signing
  // rewrites.
  size_t checksumPosition() const { return checksumPosition_; }
  size_t dataDirectoryPosition(size_t index) const { return directoryTablePosition_ + 8 * index; }
  const std::vector<PeSection>& sections() const { return sections_; }
  // An absent directory has address and size 0.
  PeDataDirectory dataDirectory(size_t index) const;
  // One past the last byte that the headers and the sections' raw data occupy.
  uint64_t imageEnd() const { return imageEnd_; }

  // The file bytes that hold length bytes at the address; throws PeFormatError when they do not
  // all lie in one section's raw data.
  std::string_view at(uint32_t address, uint32_t length) const;
  // The NUL-terminated name at the address (of a DLL, an export); throws PeFormatError when it
  // runs on past 260 characters or out of its section.
  std::string nameAt(uint32_t address) const;

 private:
  void readHeaders();
  void readSections(size_t tablePosition, uint16_t count);

  std::string bytes_;
  bool is64Bit_ = false;
  uint16_t machine_ = 0;
  uint32_t checksum_ = 0;
  size_t checksumPosition_ = 0;
  size_t directoryTablePosition_ = 0;
  std::vector<PeDataDirectory> directories_;
  std::vector<PeSection> sections_;
  uint64_t imageEnd_ = 0;
};

}  // namespace tarvik::package
