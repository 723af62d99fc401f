#include "package/zip_reader.h"

#include <algorithm>
#include <optional>

#include "package/deflate.h"

namespace tarvik::package {
namespace {

ZipFormatError formatError(const std::string& what, uint64_t position) {
  return ZipFormatError(what + " at file position " + std::to_string(position));
}

}  // namespace

ZipReader::ZipReader(const std::filesystem::path& file) : in_(file, std::ios::binary) {
  if (!in_) throw ZipFormatError("cannot open " + file.string());
  in_.seekg(0, std::ios::end);
  fileSize_ = static_cast<uint64_t>(in_.tellg());
  findEndRecord();
  readCentralDirectory();
}

std::string ZipReader::readAt(uint64_t position, uint64_t length) {
  if (position > fileSize_ || length > fileSize_ - position)
    throw formatError("a read of " + std::to_string(length) + " bytes past the end of the file",
                      position);
  std::string bytes(length, '\0');
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(position));
  in_.read(bytes.data(), static_cast<std::streamsize>(length));
  if (!in_) throw formatError("a failed read", position);
  return bytes;
}

void ZipReader::findEndRecord() {
  if (fileSize_ < kEndRecordSize) throw ZipFormatError("the file is too short to hold an archive");
  const uint64_t tailLength = std::min<uint64_t>(fileSize_, kEndRecordSize + kMaxCommentLength);
  const uint64_t tailStart = fileSize_ - tailLength;
  const std::string tail = readAt(tailStart, tailLength);
  // Backwards from the last place an end record fits; a candidate whose comment reaches exactly
  // to the end of the file wins, so that signature bytes in a comment are passed over.
  std::optional<size_t> found;
  for (size_t at = tail.size() - kEndRecordSize + 1; at-- > 0;) {
    if (getU32(tail, at) != kEndRecordSignature) continue;
    const uint64_t end = at + kEndRecordSize + getU16(tail, at + 20);
    if (end == tail.size()) {
      found = at;
      break;
    }
    if (end < tail.size() && !found) found = at;
  }
  if (found) {
    const size_t at = *found;
    end_.position = tailStart + at;
    end_.diskNumber = getU16(tail, at + 4);
    end_.centralDirectoryDisk = getU16(tail, at + 6);
    end_.entriesOnDisk = getU16(tail, at + 8);
    end_.entriesTotal = getU16(tail, at + 10);
    end_.centralDirectorySize = getU32(tail, at + 12);
    end_.centralDirectoryOffset = getU32(tail, at + 16);
    end_.commentLength = getU16(tail, at + 20);
    return;
  }
  throw ZipFormatError("no end record of a ZIP archive in the file");
}

void ZipReader::readCentralDirectory() {
  if (end_.diskNumber != 0 || end_.centralDirectoryDisk != 0 ||
      end_.entriesOnDisk != end_.entriesTotal)
    throw formatError("an archive spread over several disks", end_.position);
  if (end_.centralDirectorySize > end_.position)
    throw formatError("a central directory larger than the bytes in front of the end record",
                      end_.position);
  centralDirectoryPosition_ = end_.position - end_.centralDirectorySize;
  if (centralDirectoryPosition_ < end_.centralDirectoryOffset)
    throw formatError("a central directory offset beyond the central directory",
                      centralDirectoryPosition_);
  shift_ = centralDirectoryPosition_ - end_.centralDirectoryOffset;

  const std::string directory = readAt(centralDirectoryPosition_, end_.centralDirectorySize);
  size_t at = 0;
  for (uint16_t i = 0; i < end_.entriesTotal; ++i) {
    const uint64_t position = centralDirectoryPosition_ + at;
    if (directory.size() - at < kCentralHeaderSize)
      throw formatError("a central directory entry cut short", position);
    if (getU32(directory, at) != kCentralHeaderSignature)
      throw formatError("no central directory entry", position);
    ZipCentralEntry entry;
    entry.position = position;
    entry.versionMadeBy = getU16(directory, at + 4);
    entry.fields.versionNeeded = getU16(directory, at + 6);
    entry.fields.flags = getU16(directory, at + 8);
    entry.fields.method = getU16(directory, at + 10);
    entry.fields.time = getU16(directory, at + 12);
    entry.fields.date = getU16(directory, at + 14);
    entry.fields.crc32 = getU32(directory, at + 16);
    entry.fields.compressedSize = getU32(directory, at + 20);
    entry.fields.uncompressedSize = getU32(directory, at + 24);
    const uint16_t nameLength = getU16(directory, at + 28);
    entry.extraLength = getU16(directory, at + 30);
    entry.commentLength = getU16(directory, at + 32);
    entry.diskNumberStart = getU16(directory, at + 34);
    entry.internalAttributes = getU16(directory, at + 36);
    entry.externalAttributes = getU32(directory, at + 38);
    entry.localHeaderOffset = getU32(directory, at + 42);
    const size_t variableLength = size_t{nameLength} + entry.extraLength + entry.commentLength;
    if (directory.size() - at - kCentralHeaderSize < variableLength)
      throw formatError("a central directory entry cut short", position);
    entry.fields.name = directory.substr(at + kCentralHeaderSize, nameLength);
    entry.local = readLocalHeader(shift_ + entry.localHeaderOffset);
    if (entry.dataEnd() > centralDirectoryPosition_)
      throw formatError("entry data running into the central directory", entry.local.position);
    entries_.push_back(std::move(entry));
    at += kCentralHeaderSize + variableLength;
  }
  if (at != directory.size())
    throw formatError("bytes after the last central directory entry",
                      centralDirectoryPosition_ + at);
}

ZipLocalHeader ZipReader::readLocalHeader(uint64_t position) {
  if (position >= centralDirectoryPosition_ ||
      centralDirectoryPosition_ - position < kLocalHeaderSize)
    throw formatError("a local header offset outside the archive's entries", position);
  const std::string fixed = readAt(position, kLocalHeaderSize);
  if (getU32(fixed, 0) != kLocalHeaderSignature) throw formatError("no local header", position);
  ZipLocalHeader header;
  header.position = position;
  header.fields.versionNeeded = getU16(fixed, 4);
  header.fields.flags = getU16(fixed, 6);
  header.fields.method = getU16(fixed, 8);
  header.fields.time = getU16(fixed, 10);
  header.fields.date = getU16(fixed, 12);
  header.fields.crc32 = getU32(fixed, 14);
  header.fields.compressedSize = getU32(fixed, 18);
  header.fields.uncompressedSize = getU32(fixed, 22);
  const uint16_t nameLength = getU16(fixed, 26);
  header.extraLength = getU16(fixed, 28);
  header.fields.name = readAt(position + kLocalHeaderSize, nameLength);
  header.dataPosition = position + kLocalHeaderSize + nameLength + header.extraLength;
  return header;
}

std::string ZipReader::readStored(const ZipCentralEntry& entry) {
  return readAt(entry.local.dataPosition, entry.fields.compressedSize);
}

std::string ZipReader::extract(const ZipCentralEntry& entry) {
  if (entry.fields.flags & kFlagEncrypted)
    throw formatError("an encrypted entry " + entry.name(), entry.position);
  const std::string stored = readStored(entry);
  std::string data;
  if (entry.fields.method == kMethodStored) {
    if (stored.size() != entry.fields.uncompressedSize)
      throw formatError("a stored entry whose sizes differ: " + entry.name(), entry.position);
    data = stored;
  } else if (entry.fields.method == kMethodDeflated) {
    try {
      data = inflateRaw(stored, entry.fields.uncompressedSize);
    } catch (const DeflateError& error) {
      throw formatError(entry.name() + ": " + error.what(), entry.local.dataPosition);
    }
  } else {
    throw formatError(
        "compression method " + std::to_string(entry.fields.method) + " of " + entry.name(),
        entry.position);
  }
  if (crc32Of(data) != entry.fields.crc32)
    throw formatError("a CRC-32 that does not match the data of " + entry.name(), entry.position);
  return data;
}

}  // namespace tarvik::package
