#pragma once
// The installer package: the linked program followed by the payload archive, appended byte for
// byte. Nothing in the program is patched and no archive offset is moved, so every offset in
// the archive counts from the archive's own start and a reader finds the archive by the shift
// between where its central directory lies and where the end record says it lies. A signed
// package has an Authenticode signature behind the archive's end: signing pads the file to a
// multiple of 8 bytes, appends the signature and rewrites two header fields of the program, its
// checksum and the certificate table's entry.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarvik::package {

class PackageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PackageLayout {
  uint64_t programLength = 0;
  uint64_t archiveLength = 0;
};

// Writes output as the program's bytes followed by the archive's bytes, under a temporary name
// renamed when complete. Throws PackageError unless the program is a Windows program file and
// the archive a stand-alone archive that the package reader finds again behind the program.
PackageLayout buildPackage(const std::filesystem::path& program,
                           const std::filesystem::path& archive,
                           const std::filesystem::path& output);

struct PackageEntry {
  std::string name;
  uint32_t crc32 = 0;
  uint32_t size = 0;
};

struct PackageReport {
  uint64_t packageLength = 0;
  uint64_t programLength = 0;
  uint64_t endRecordPosition = 0;
  uint64_t centralDirectoryPosition = 0;
  uint32_t storedCentralDirectoryOffset = 0;
  uint64_t shift = 0;
  uint32_t programChecksum = 0;  // as the program part's header holds it
  uint64_t archiveEnd = 0;  // one past the end record's comment
  // The certificate table of a signed package; both 0 when unsigned.
  uint64_t signaturePosition = 0;
  uint64_t signatureLength = 0;
  std::vector<PackageEntry> entries;  // in central directory order
  std::vector<std::string> problems;  // empty when the package is sound

  bool sound() const { return problems.empty(); }
  bool isSigned() const { return signatureLength != 0; }
};

struct PackageCheckOptions {
  // The archive that was appended; when given, the package must end with exactly its bytes.
  std::filesystem::path archive;
  // Inflates every entry and compares its CRC-32.
  bool extractEntries = true;
  // Holds the program's resources to what the installer must carry.
  bool checkResources = true;
  // The unzip library delivered beside the package; when given, its imports are held to the
  // same rule as the program's.
  std::filesystem::path library{};
};

// Finds the archive in the package by the shift of its central directory and holds the package
// to its program: the shift equals the program's length, the package starts with the program's
// bytes unchanged (so the header checksum, when the linker set one, still covers exactly the
// program), the archive's first local header follows them directly, the archive reaches to the
// end of the file or, in a signed package, to the padding in front of the signature (then only
// the checksum, which must cover the whole file, and the certificate table's entry may differ
// from the program's), and the entries are
// files under "scenery/" and "texture/" and those two folders, none encrypted, none stored
// under a name that Windows would merge with another. The program, and the library when given,
// import only DLLs that Windows always maps from its system folder. Never throws for a faulty package; its
// faults are the report's problems.
PackageReport checkPackage(const std::filesystem::path& package,
                           const std::filesystem::path& program,
                           const PackageCheckOptions& options = {});

}  // namespace tarvik::package
