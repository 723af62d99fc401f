#pragma once
// The archive's records: the end record (end_record.h); the central directory, with the shift
// between where it really starts and where the end record says (the length of whatever precedes
// the archive in its file); and each entry's local header.

#include <cstdint>
#include <string>
#include <vector>

#include "unziplib/archive_source.h"

namespace tarvik::unziplib {

struct ZipEntry {
  std::string storedName;  // the name's bytes as stored
  std::string name;        // as UTF-8, with '/' between its parts
  uint16_t versionMadeBy = 0;
  uint16_t versionNeeded = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t dosTime = 0;
  uint16_t dosDate = 0;
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint16_t diskStart = 0;
  uint16_t internalAttributes = 0;
  uint32_t externalAttributes = 0;
  uint32_t storedOffset = 0;   // of the local header, as the archive counts
  bool zip64 = false;          // sizes or offset live in a ZIP64 extra field
  bool overlaps = false;       // its bytes overlap another member's or the central directory

  bool encrypted() const { return flags & 0x0001; }
  bool hasDataDescriptor() const { return flags & 0x0008; }
  bool strongEncryption() const { return flags & 0x0040; }
  bool nameIsUtf8() const { return flags & 0x0800; }
  bool markedAsText() const { return internalAttributes & 0x0001; }
  bool isFolder() const { return !name.empty() && name.back() == '/'; }
};

namespace zip_method {
constexpr uint16_t kStored = 0;
constexpr uint16_t kDeflated = 8;
}  // namespace zip_method

struct ZipDirectory {
  std::vector<ZipEntry> entries;  // in the central directory's order
  std::string comment;            // the archive comment's bytes
  uint64_t shift = 0;             // added to every stored offset to get a file position
  uint64_t centralStart = 0;      // file position of the central directory
};

// Reads the end record and the central directory, and marks the members whose bytes overlap
// (member_extents.h). Raises UnzipError: not a ZIP archive, damaged, or unsupported (ZIP64
// archives, archives on several disks).
ZipDirectory readDirectory(ArchiveSource& source);

// Checks the entry's local header against its central record and returns the file position of
// the entry's data (for an encrypted entry, of its 12-byte header). Raises a damaged-archive
// UnzipError when they disagree, the data does not fit before the central directory, or the
// member overlaps another.
uint64_t locateEntryData(ArchiveSource& source, const ZipDirectory& directory,
                         const ZipEntry& entry);

}  // namespace tarvik::unziplib
