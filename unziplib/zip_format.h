#pragma once
// The archive's records: the end record (end_record.h); the central directory, with the shift
// between where it really starts and where the end record says (the length of whatever precedes
// the archive in its file); and each entry's local header.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "unziplib/archive_source.h"
#include "unziplib/extra_fields.h"

namespace tarvik::unziplib {

struct ZipEntry {
  std::string storedName;  // the name's bytes as stored
  std::string name;        // as UTF-8, with '/' between its parts; a folder's ends in '/'
  std::string comment;     // as UTF-8
  uint16_t versionMadeBy = 0;
  uint16_t versionNeeded = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t dosTime = 0;
  uint16_t dosDate = 0;
  uint32_t crc = 0;
  uint64_t compressedSize = 0;    // the sizes, offset and disk as a ZIP64 extra field widens them
  uint64_t uncompressedSize = 0;
  uint32_t diskStart = 0;
  uint16_t internalAttributes = 0;
  uint32_t externalAttributes = 0;
  uint64_t storedOffset = 0;   // of the local header, as the archive counts
  // The Unicode path field the name comes from, made for the central name or the local one; a
  // local header that carries the same field may have another name of its own.
  std::optional<UnicodeField> unicodePath;
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
constexpr uint16_t kWinZipAes = 99;
// The method's short name ("BZip2"); empty for a method the format does not name.
std::string_view nameOf(uint16_t method);
}  // namespace zip_method

struct ZipDirectory {
  std::vector<ZipEntry> entries;  // in the central directory's order
  std::string comment;            // the archive comment's bytes
  uint64_t shift = 0;             // added to every stored offset to get a file position
  uint64_t centralStart = 0;      // file position of the central directory
};

// Reads the end record and the central directory, and marks the members whose bytes overlap
// (member_extents.h). An entry is a folder when its name ends in '/', or when it was made on a
// system of MS-DOS's attributes (MS-DOS, OS/2, NTFS, VFAT) with the folder attribute: its name
// then gets the '/'. Raises UnzipError: not a ZIP archive, damaged, or unsupported (archives on
// several disks, an encrypted central directory).
ZipDirectory readDirectory(ArchiveSource& source);

// Checks the entry's local header against its central record and returns the file position of
// the entry's data (for an encrypted entry, of its 12-byte header). Raises a damaged-archive
// UnzipError when they disagree, the data does not fit before the central directory, or the
// member overlaps another.
uint64_t locateEntryData(ArchiveSource& source, const ZipDirectory& directory,
                         const ZipEntry& entry);

}  // namespace tarvik::unziplib
