#include "unziplib/zip_format.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "unziplib/unzip_error.h"
#include "unziplib/unzip_platform.h"

namespace tarvik::unziplib {
namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kLongestComment = 0xFFFF;
constexpr uint16_t kZip64ExtraId = 0x0001;

struct EndRecord {
  uint64_t position = 0;
  uint16_t disk = 0;
  uint16_t centralDisk = 0;
  uint16_t entriesHere = 0;
  uint16_t entries = 0;
  uint32_t centralSize = 0;
  uint32_t centralOffset = 0;
  std::string comment;
};

// The end record's place in the tail of the file: the last signature whose comment ends exactly
// at the end of the file, else the last one whose comment fits (some tools leave bytes behind).
std::optional<std::size_t> findEndRecord(std::span<const uint8_t> tail) {
  if (tail.size() < kEndSize) return std::nullopt;
  std::optional<std::size_t> fitting;
  for (std::size_t at = tail.size() - kEndSize + 1; at-- > 0;) {
    if (get32(&tail[at]) != kEndSignature) continue;
    const std::size_t end = at + kEndSize + get16(&tail[at + 20]);
    if (end == tail.size()) return at;
    if (end < tail.size() && !fitting) fitting = at;
  }
  return fitting;
}

bool looksLikeZipStart(ArchiveSource& source) {
  return source.size() >= 4 && get32(source.read(0, 4).data()) == kLocalSignature;
}

EndRecord readEndRecord(ArchiveSource& source) {
  const std::size_t tailSize =
      static_cast<std::size_t>(std::min<uint64_t>(source.size(), kEndSize + kLongestComment));
  const uint64_t tailStart = source.size() - tailSize;
  const std::vector<uint8_t> tail = source.copy(tailStart, tailSize);
  const auto at = findEndRecord(tail);
  if (!at) {
    if (looksLikeZipStart(source))
      throw damagedArchive("its end record is missing (the file is truncated)");
    throw UnzipError(TARVIK_UNZIP_NOT_ZIP, "the file is not a ZIP archive");
  }
  const uint8_t* record = &tail[*at];
  EndRecord end;
  end.position = tailStart + *at;
  end.disk = get16(record + 4);
  end.centralDisk = get16(record + 6);
  end.entriesHere = get16(record + 8);
  end.entries = get16(record + 10);
  end.centralSize = get32(record + 12);
  end.centralOffset = get32(record + 16);
  const std::size_t commentLength =
      std::min<std::size_t>(get16(record + 20), tail.size() - *at - kEndSize);
  end.comment.assign(reinterpret_cast<const char*>(record + kEndSize), commentLength);
  const bool zip64Locator = *at >= kZip64LocatorSize &&
                            get32(&tail[*at - kZip64LocatorSize]) == kZip64LocatorSignature;
  if (zip64Locator || end.entries == 0xFFFF || end.centralSize == 0xFFFFFFFF ||
      end.centralOffset == 0xFFFFFFFF)
    throw unsupported("the archive uses ZIP64 extensions");
  if (end.disk != 0 || end.centralDisk != 0 || end.entriesHere != end.entries)
    throw unsupported("the archive is split over several disks");
  return end;
}

// Marks the entry as ZIP64 when its sizes or offset are kept in a ZIP64 extra field.
bool usesZip64(const ZipEntry& entry, std::span<const uint8_t> extra) {
  if (entry.compressedSize == 0xFFFFFFFF || entry.uncompressedSize == 0xFFFFFFFF ||
      entry.storedOffset == 0xFFFFFFFF || entry.diskStart == 0xFFFF)
    return true;
  while (extra.size() >= 4) {
    const uint16_t id = get16(extra.data());
    const std::size_t length = std::min<std::size_t>(get16(extra.data() + 2), extra.size() - 4);
    if (id == kZip64ExtraId) return true;
    extra = extra.subspan(4 + length);
  }
  return false;
}

ZipEntry parseCentralEntry(std::span<const uint8_t> record, std::size_t& length) {
  if (record.size() < kCentralSize || get32(record.data()) != kCentralSignature)
    throw damagedArchive("its central directory is broken");
  const uint8_t* at = record.data();
  ZipEntry entry;
  entry.versionMadeBy = get16(at + 4);
  entry.versionNeeded = get16(at + 6);
  entry.flags = get16(at + 8);
  entry.method = get16(at + 10);
  entry.dosTime = get16(at + 12);
  entry.dosDate = get16(at + 14);
  entry.crc = get32(at + 16);
  entry.compressedSize = get32(at + 20);
  entry.uncompressedSize = get32(at + 24);
  const std::size_t nameLength = get16(at + 28);
  const std::size_t extraLength = get16(at + 30);
  const std::size_t commentLength = get16(at + 32);
  entry.diskStart = get16(at + 34);
  entry.internalAttributes = get16(at + 36);
  entry.externalAttributes = get32(at + 38);
  entry.storedOffset = get32(at + 42);
  length = kCentralSize + nameLength + extraLength + commentLength;
  if (length > record.size()) throw damagedArchive("its central directory is broken");
  entry.storedName.assign(reinterpret_cast<const char*>(at + kCentralSize), nameLength);
  entry.name = entryNameText(entry.storedName, entry.nameIsUtf8());
  std::replace(entry.name.begin(), entry.name.end(), '\\', '/');
  entry.zip64 = usesZip64(entry, record.subspan(kCentralSize + nameLength, extraLength));
  return entry;
}

}  // namespace

ZipDirectory readDirectory(ArchiveSource& source) {
  const EndRecord end = readEndRecord(source);
  if (end.centralSize > end.position)
    throw damagedArchive("its central directory does not fit in the file");
  ZipDirectory directory;
  directory.comment = end.comment;
  directory.centralStart = end.position - end.centralSize;
  if (end.centralOffset > directory.centralStart)
    throw damagedArchive("its central directory does not fit in the file");
  directory.shift = directory.centralStart - end.centralOffset;

  const std::vector<uint8_t> central = source.copy(directory.centralStart, end.centralSize);
  std::span<const uint8_t> rest(central);
  directory.entries.reserve(end.entries);
  for (uint32_t i = 0; i < end.entries; ++i) {
    std::size_t length = 0;
    directory.entries.push_back(parseCentralEntry(rest, length));
    rest = rest.subspan(length);
  }
  return directory;
}

uint64_t locateEntryData(ArchiveSource& source, const ZipDirectory& directory,
                         const ZipEntry& entry) {
  const uint64_t header = entry.storedOffset + directory.shift;
  if (header + kLocalSize > directory.centralStart)
    throw damagedArchive("an entry lies outside the archive");
  const uint8_t* at = source.read(header, kLocalSize).data();
  const uint32_t signature = get32(at);
  const uint16_t flags = get16(at + 6);
  const uint16_t method = get16(at + 8);
  const uint32_t crc = get32(at + 14);
  const uint32_t compressedSize = get32(at + 18);
  const uint32_t uncompressedSize = get32(at + 22);
  const std::size_t nameLength = get16(at + 26);
  const std::size_t extraLength = get16(at + 28);
  if (signature != kLocalSignature) throw damagedArchive("an entry's local header is missing");
  bool same = method == entry.method && (flags & 0x0001) == (entry.flags & 0x0001) &&
              nameLength == entry.storedName.size();
  if (!entry.hasDataDescriptor())
    same = same && crc == entry.crc && compressedSize == entry.compressedSize &&
           uncompressedSize == entry.uncompressedSize;
  if (same) {
    const auto name = source.read(header + kLocalSize, nameLength);
    same = std::memcmp(name.data(), entry.storedName.data(), nameLength) == 0;
  }
  if (!same) throw damagedArchive("a local header does not match the central directory");
  const uint64_t data = header + kLocalSize + nameLength + extraLength;
  if (data > directory.centralStart || entry.compressedSize > directory.centralStart - data)
    throw damagedArchive("an entry's data runs past the end of the archive");
  return data;
}

}  // namespace tarvik::unziplib
