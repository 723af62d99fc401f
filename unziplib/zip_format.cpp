#include "unziplib/zip_format.h"

#include <algorithm>
#include <optional>

#include "unziplib/end_record.h"
#include "unziplib/extra_fields.h"
#include "unziplib/member_extents.h"
#include "unziplib/stored_text.h"
#include "unziplib/unzip_error.h"
#include "unziplib/unzip_platform.h"
#include "unziplib/zip_records.h"

namespace tarvik::unziplib {
namespace {

using namespace zip_records;

// The systems whose files carry MS-DOS's attributes, with 0x10 for a folder.
bool madeWithDosAttributes(uint16_t versionMadeBy) {
  const unsigned system = versionMadeBy >> 8;
  return system == 0 || system == 6 || system == 11 || system == 14;  // FAT, HPFS, NTFS, VFAT
}

std::string textOf(std::span<const uint8_t> bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// Gives the entry the name that a Unicode path field holds, or else its own.
void nameEntry(ZipEntry& entry, std::optional<UnicodeField> unicodePath) {
  entry.unicodePath = std::move(unicodePath);
  entry.name = entry.unicodePath ? storedName(entry.unicodePath->text, true)
                                 : storedName(entry.storedName, entry.nameIsUtf8());
  if (madeWithDosAttributes(entry.versionMadeBy) && (entry.externalAttributes & 0x10) &&
      !entry.name.empty() && entry.name.back() != '/')
    entry.name += '/';
}

// The record holds exactly the central record: its fixed part, name, extra field and comment. A
// Unicode path field made for another name than the central one is left in otherPath.
ZipEntry parseCentralEntry(std::span<const uint8_t> record,
                           std::optional<UnicodeField>& otherPath) {
  const uint8_t* at = record.data();
  if (get32(at) != kCentralSignature) throw damagedArchive("its central directory is broken");
  ZipEntry entry;
  entry.versionMadeBy = get16(at + 4);
  entry.versionNeeded = get16(at + 6);
  entry.flags = get16(at + 8);
  entry.method = get16(at + 10);
  entry.dosTime = get16(at + 12);
  entry.dosDate = get16(at + 14);
  entry.crc = get32(at + 16);
  const std::size_t nameLength = get16(at + 28);
  const std::size_t extraLength = get16(at + 30);
  entry.internalAttributes = get16(at + 36);
  entry.externalAttributes = get32(at + 38);
  const auto extra = record.subspan(kCentralSize + nameLength, extraLength);
  WideFields wide{get32(at + 24), get32(at + 20), get32(at + 42), get16(at + 34)};
  if (!widenFromZip64Field(extra, wide, false))
    throw damagedArchive("an entry's ZIP64 extra field is too short");
  entry.uncompressedSize = wide.uncompressedSize;
  entry.compressedSize = wide.compressedSize;
  entry.storedOffset = wide.offset;
  entry.diskStart = wide.disk;

  entry.storedName = textOf(record.subspan(kCentralSize, nameLength));
  std::optional<UnicodeField> path = unicodeField(extra, kUnicodePath);
  if (path && !path->madeFor(entry.storedName)) otherPath.swap(path);
  nameEntry(entry, std::move(path));
  const std::string storedComment = textOf(record.subspan(kCentralSize + nameLength + extraLength));
  const std::optional<UnicodeField> unicodeComment = unicodeField(extra, kUnicodeComment);
  entry.comment = unicodeComment && unicodeComment->madeFor(storedComment)
                      ? unicodeComment->text
                      : storedText(storedComment, entry.nameIsUtf8());
  return entry;
}

// The local header's name, when the header is there; nothing otherwise.
std::optional<std::span<const uint8_t>> localNameAt(ArchiveSource& source, uint64_t header) {
  if (header > source.size() || source.size() - header < kLocalSize) return std::nullopt;
  const LocalHeader local = parseLocalHeader(source.read(header, kLocalSize).data());
  if (local.signature != kLocalSignature) return std::nullopt;
  if (source.size() - header - kLocalSize < local.nameLength) return std::nullopt;
  return source.read(header + kLocalSize, local.nameLength);
}

// Some tools write a name in the local header that differs from the central one (a placeholder
// for the characters the code page lacks) and may make the Unicode path field for either.
void takeUnicodePathOfLocalName(ArchiveSource& source, const ZipDirectory& directory,
                                ZipEntry& entry, UnicodeField path) {
  const auto localName = localNameAt(source, addClamped(entry.storedOffset, directory.shift));
  if (localName && path.madeFor(*localName)) nameEntry(entry, std::move(path));
}

// True when the local header's name is the entry's: the same bytes, or the same Unicode path
// field that gave the entry its name.
bool sameName(std::span<const uint8_t> localName, std::span<const uint8_t> localExtra,
              const ZipEntry& entry) {
  if (std::string_view(reinterpret_cast<const char*>(localName.data()), localName.size()) ==
      entry.storedName)
    return true;
  return entry.unicodePath && unicodeField(localExtra, kUnicodePath) == entry.unicodePath;
}

// The local header's sizes, widened by its own ZIP64 extra field.
WideFields localSizes(ArchiveSource& source, uint64_t header, const LocalHeader& local) {
  WideFields sizes{local.uncompressedSize, local.compressedSize, 0, 0};
  const auto extra = source.read(header + kLocalSize + local.nameLength, local.extraLength);
  if (!widenFromZip64Field(extra, sizes, true))
    throw damagedArchive("an entry's ZIP64 extra field is too short");
  return sizes;
}

}  // namespace

std::string_view zip_method::nameOf(uint16_t method) {
  switch (method) {
    case 0: return "Stored";
    case 1: return "Shrunk";
    case 2: case 3: case 4: case 5: return "Reduced";
    case 6: return "Implode";
    case 8: return "Deflate";
    case 9: return "Deflat64";
    case 12: return "BZip2";
    case 14: return "LZMA";
    case 20: case 93: return "Zstd";
    case 94: return "MP3";
    case 95: return "XZ";
    case 96: return "JPEG";
    case 97: return "WavPack";
    case 98: return "PPMd";
    case 99: return "AES";
    default: return {};
  }
}

ZipDirectory readDirectory(ArchiveSource& source) {
  const EndRecord end = findEndRecord(source);
  if (end.centralSize > end.centralEnd)
    throw damagedArchive("its central directory does not fit in the file");
  ZipDirectory directory;
  directory.comment = end.comment;
  directory.centralStart = end.centralEnd - end.centralSize;
  if (end.centralOffset > directory.centralStart)
    throw damagedArchive("its central directory does not fit in the file");
  directory.shift = directory.centralStart - end.centralOffset;

  // Record by record through the source's window: memory grows with the records that are
  // there, never with the counts and sizes the end record claims.
  directory.entries.reserve(std::min<uint64_t>(end.entries, end.centralSize / kCentralSize));
  uint64_t at = directory.centralStart;
  std::vector<std::pair<std::size_t, UnicodeField>> otherPaths;
  for (uint64_t i = 0; i < end.entries; ++i) {
    if (end.centralEnd - at < kCentralSize) throw damagedArchive("its central directory is broken");
    const uint64_t length = centralRecordLength(source.read(at, kCentralSize).data());
    if (length > end.centralEnd - at) throw damagedArchive("its central directory is broken");
    std::optional<UnicodeField> otherPath;
    directory.entries.push_back(parseCentralEntry(source.read(at, length), otherPath));
    if (otherPath) otherPaths.emplace_back(directory.entries.size() - 1, std::move(*otherPath));
    at += length;
  }
  for (auto& [index, path] : otherPaths)
    takeUnicodePathOfLocalName(source, directory, directory.entries[index], std::move(path));
  markOverlappingMembers(source, directory);
  return directory;
}

uint64_t locateEntryData(ArchiveSource& source, const ZipDirectory& directory,
                         const ZipEntry& entry) {
  const uint64_t header = addClamped(entry.storedOffset, directory.shift);
  if (header >= directory.centralStart || directory.centralStart - header < kLocalSize)
    throw damagedArchive("an entry lies outside the archive");
  const LocalHeader local = parseLocalHeader(source.read(header, kLocalSize).data());
  if (local.signature != kLocalSignature) throw damagedArchive("an entry's local header is missing");
  bool same = local.method == entry.method && (local.flags & 0x0001) == (entry.flags & 0x0001);
  if (same && !entry.hasDataDescriptor()) {
    const WideFields sizes = localSizes(source, header, local);
    same = local.crc == entry.crc && sizes.compressedSize == entry.compressedSize &&
           sizes.uncompressedSize == entry.uncompressedSize;
  }
  if (same) {
    const auto nameAndExtra = source.read(header + kLocalSize, local.nameLength + local.extraLength);
    same = sameName(nameAndExtra.first(local.nameLength), nameAndExtra.subspan(local.nameLength),
                    entry);
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
