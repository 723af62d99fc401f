#include "unziplib/zip_format.h"

#include <algorithm>
#include <cstring>

#include "unziplib/end_record.h"
#include "unziplib/member_extents.h"
#include "unziplib/unzip_error.h"
#include "unziplib/unzip_platform.h"
#include "unziplib/zip_records.h"

namespace tarvik::unziplib {
namespace {

using namespace zip_records;

constexpr uint16_t kZip64ExtraId = 0x0001;

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
  const EndRecord end = findEndRecord(source);
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
  markOverlappingMembers(source, directory);
  return directory;
}

uint64_t locateEntryData(ArchiveSource& source, const ZipDirectory& directory,
                         const ZipEntry& entry) {
  const uint64_t header = entry.storedOffset + directory.shift;
  if (header + kLocalSize > directory.centralStart)
    throw damagedArchive("an entry lies outside the archive");
  const LocalHeader local = parseLocalHeader(source.read(header, kLocalSize).data());
  if (local.signature != kLocalSignature) throw damagedArchive("an entry's local header is missing");
  bool same = local.method == entry.method && (local.flags & 0x0001) == (entry.flags & 0x0001) &&
              local.nameLength == entry.storedName.size();
  if (!entry.hasDataDescriptor())
    same = same && local.crc == entry.crc && local.compressedSize == entry.compressedSize &&
           local.uncompressedSize == entry.uncompressedSize;
  if (same) {
    const auto name = source.read(header + kLocalSize, local.nameLength);
    same = std::memcmp(name.data(), entry.storedName.data(), local.nameLength) == 0;
  }
  if (!same) throw damagedArchive("a local header does not match the central directory");
  const uint64_t data = header + local.length();
  if (data > directory.centralStart || entry.compressedSize > directory.centralStart - data)
    throw damagedArchive("an entry's data runs past the end of the archive");
  if (entry.overlaps)
    throw damagedArchive("its bytes overlap those of another member");
  return data;
}

}  // namespace tarvik::unziplib
