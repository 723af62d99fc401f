#pragma once
// Writes a ZIP archive entry by entry to a stream: each local header directly followed by its
// data, then the central directory and the end record. Offsets count from the archive's own
// first byte, wherever the stream stands when the writer starts, so the archive can be appended
// to another file unchanged. No extra fields, no comments, no data descriptors, no ZIP64.

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "package/deflate.h"
#include "package/dos_date_time.h"
#include "package/zip_layout.h"

namespace tarvik::package {

class ZipWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the caller decides about an entry; the writer adds method, CRC, sizes and offset.
struct ZipEntryAttributes {
  std::string name;
  DosDateTime modified;
  uint16_t versionMadeBy = 20;
  uint16_t versionNeeded = 20;
  uint16_t internalAttributes = 0;
  uint32_t externalAttributes = 0;
};

struct ZipArchiveTotals {
  uint64_t uncompressedBytes = 0;
  uint64_t compressedBytes = 0;
  uint64_t archiveBytes = 0;  // everything written, end record included
};

class ZipWriter {
 public:
  explicit ZipWriter(std::ostream& out, int compressionLevel = kDefaultCompressionLevel);
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Adds an entry compressed with deflate (method 8).
  void addDeflated(const ZipEntryAttributes& attributes, std::string_view data);
  // Adds an entry stored as it is (method 0); a folder entry is a stored entry without data
  // whose name ends with "/".
  void addStored(const ZipEntryAttributes& attributes, std::string_view data);
  // Writes the central directory and the end record; no entry can follow.
  ZipArchiveTotals finish();

  size_t entryCount() const { return central_.size(); }

 private:
  struct CentralRecord {
    ZipEntryAttributes attributes;
    ZipEntryFields fields;
    uint32_t localHeaderOffset = 0;
  };

  void addEntry(const ZipEntryAttributes& attributes, uint16_t method, uint32_t crc,
                size_t uncompressedSize, std::string_view storedBytes);
  void write(std::string_view bytes);
  uint32_t offset32() const;

  std::ostream& out_;
  int compressionLevel_;
  std::vector<CentralRecord> central_;
  uint64_t offset_ = 0;
  ZipArchiveTotals totals_;
  bool finished_ = false;
};

}  // namespace tarvik::package
