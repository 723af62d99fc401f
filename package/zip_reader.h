#pragma once
// Reads the headers of a ZIP archive that may sit behind other bytes in its file, such as an
// archive appended to a program. The end record is searched backwards from the end of the file;
// the central directory ends where the end record begins, and the difference between its real
// start and the offset stored in the end record is the shift of the whole archive, added to every
// stored offset before seeking. Entry data can be read back and checked against its CRC-32.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "package/zip_layout.h"

namespace tarvik::package {

class ZipFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ZipEndRecord {
  uint64_t position = 0;  // in the file
  uint16_t diskNumber = 0;
  uint16_t centralDirectoryDisk = 0;
  uint16_t entriesOnDisk = 0;
  uint16_t entriesTotal = 0;
  uint32_t centralDirectorySize = 0;
  uint32_t centralDirectoryOffset = 0;  // from the archive's start
  uint16_t commentLength = 0;
};

struct ZipLocalHeader {
  uint64_t position = 0;      // in the file
  uint64_t dataPosition = 0;  // in the file, where the entry's stored bytes begin
  ZipEntryFields fields;
  uint16_t extraLength = 0;
};

struct ZipCentralEntry {
  uint64_t position = 0;  // in the file
  uint16_t versionMadeBy = 0;
  ZipEntryFields fields;
  uint16_t extraLength = 0;
  uint16_t commentLength = 0;
  uint16_t diskNumberStart = 0;
  uint16_t internalAttributes = 0;
  uint32_t externalAttributes = 0;
  uint32_t localHeaderOffset = 0;  // from the archive's start
  ZipLocalHeader local;

  const std::string& name() const { return fields.name; }
  bool isFolder() const { return !fields.name.empty() && fields.name.back() == '/'; }
  // File position one past the entry's stored bytes.
  uint64_t dataEnd() const { return local.dataPosition + fields.compressedSize; }
};

class ZipReader {
 public:
  // Opens the file and reads the end record, the central directory and every local header.
  // Throws ZipFormatError when they cannot be found or do not hold together. Like the unzip
  // library, it takes the last end record whose comment reaches the end of the file, else the
  // last one whose comment ends before it (a signature may follow the archive).
  explicit ZipReader(const std::filesystem::path& file);

  uint64_t fileSize() const { return fileSize_; }
  const ZipEndRecord& endRecord() const { return end_; }
  // One past the end record's comment: where the archive ends in the file.
  uint64_t archiveEnd() const { return end_.position + kEndRecordSize + end_.commentLength; }
  uint64_t centralDirectoryPosition() const { return centralDirectoryPosition_; }
  // Where the archive's first byte lies in the file: 0 for a stand-alone archive.
  uint64_t shift() const { return shift_; }
  const std::vector<ZipCentralEntry>& entries() const { return entries_; }

  // The entry's bytes as stored in the archive.
  std::string readStored(const ZipCentralEntry& entry);
  // The entry's data, inflated when deflated; throws ZipFormatError when the method is neither
  // stored nor deflate, the entry is encrypted, the data is damaged or its CRC-32 differs.
  std::string extract(const ZipCentralEntry& entry);

 private:
  std::string readAt(uint64_t position, uint64_t length);
  void findEndRecord();
  void readCentralDirectory();
  ZipLocalHeader readLocalHeader(uint64_t position);

  std::ifstream in_;
  uint64_t fileSize_ = 0;
  ZipEndRecord end_;
  uint64_t centralDirectoryPosition_ = 0;
  uint64_t shift_ = 0;
  std::vector<ZipCentralEntry> entries_;
};

}  // namespace tarvik::package
