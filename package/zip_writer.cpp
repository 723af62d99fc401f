#include "package/zip_writer.h"

#include <limits>
#include <utility>

namespace tarvik::package {
namespace {

constexpr uint64_t kMax32 = std::numeric_limits<uint32_t>::max();

uint32_t to32(uint64_t value, const char* what) {
  if (value > kMax32)
    throw ZipWriteError(std::string(what) + " needs ZIP64, which this writer does not write");
  return static_cast<uint32_t>(value);
}

uint16_t to16(size_t value, const char* what) {
  if (value > std::numeric_limits<uint16_t>::max())
    throw ZipWriteError(std::string(what) + " does not fit a 16-bit field");
  return static_cast<uint16_t>(value);
}

// The fields that a local header and its central directory entry share, from the version
// needed to the extra field length.
void putSharedFields(std::string& header, const ZipEntryFields& fields) {
  putU16(header, fields.versionNeeded);
  putU16(header, fields.flags);
  putU16(header, fields.method);
  putU16(header, fields.time);
  putU16(header, fields.date);
  putU32(header, fields.crc32);
  putU32(header, fields.compressedSize);
  putU32(header, fields.uncompressedSize);
  putU16(header, to16(fields.name.size(), "an entry name"));
  putU16(header, 0);  // extra field length
}

std::string localHeader(const ZipEntryFields& fields) {
  std::string header;
  putU32(header, kLocalHeaderSignature);
  putSharedFields(header, fields);
  header += fields.name;
  return header;
}

}  // namespace

ZipWriter::ZipWriter(std::ostream& out, int compressionLevel)
    : out_(out), compressionLevel_(compressionLevel) {}

void ZipWriter::addDeflated(const ZipEntryAttributes& attributes, std::string_view data) {
  addEntry(attributes, kMethodDeflated, crc32Of(data), data.size(),
           deflateRaw(data, compressionLevel_));
}

void ZipWriter::addStored(const ZipEntryAttributes& attributes, std::string_view data) {
  addEntry(attributes, kMethodStored, data.empty() ? 0 : crc32Of(data), data.size(), data);
}

void ZipWriter::addEntry(const ZipEntryAttributes& attributes, uint16_t method, uint32_t crc,
                         size_t uncompressedSize, std::string_view storedBytes) {
  if (finished_) throw ZipWriteError("an entry added after the central directory");
  if (attributes.name.empty()) throw ZipWriteError("an entry without a name");
  if (central_.size() == std::numeric_limits<uint16_t>::max())
    throw ZipWriteError("more entries than the end record can count");

  const uint32_t localHeaderOffset = offset32();
  ZipEntryFields fields;
  fields.versionNeeded = attributes.versionNeeded;
  fields.method = method;
  fields.time = attributes.modified.dosTime();
  fields.date = attributes.modified.dosDate();
  fields.crc32 = crc;
  fields.compressedSize = to32(storedBytes.size(), "a compressed entry");
  fields.uncompressedSize = to32(uncompressedSize, "an entry");
  fields.name = attributes.name;

  write(localHeader(fields));
  write(storedBytes);
  totals_.uncompressedBytes += uncompressedSize;
  totals_.compressedBytes += storedBytes.size();
  central_.push_back({attributes, std::move(fields), localHeaderOffset});
}

ZipArchiveTotals ZipWriter::finish() {
  if (finished_) throw ZipWriteError("the archive is already finished");
  const uint32_t directoryOffset = offset32();
  for (const CentralRecord& record : central_) {
    const ZipEntryFields& fields = record.fields;
    std::string header;
    putU32(header, kCentralHeaderSignature);
    putU16(header, record.attributes.versionMadeBy);
    putSharedFields(header, fields);
    putU16(header, 0);  // comment length
    putU16(header, 0);  // disk number start
    putU16(header, record.attributes.internalAttributes);
    putU32(header, record.attributes.externalAttributes);
    putU32(header, record.localHeaderOffset);
    header += fields.name;
    write(header);
  }
  const uint32_t directorySize = to32(offset_ - directoryOffset, "the central directory");

  const auto entries = static_cast<uint16_t>(central_.size());
  std::string end;
  putU32(end, kEndRecordSignature);
  putU16(end, 0);  // number of this disk
  putU16(end, 0);  // disk holding the central directory
  putU16(end, entries);
  putU16(end, entries);
  putU32(end, directorySize);
  putU32(end, directoryOffset);
  putU16(end, 0);  // comment length
  write(end);

  out_.flush();
  if (!out_) throw ZipWriteError("the archive could not be written");
  finished_ = true;
  totals_.archiveBytes = offset_;
  return totals_;
}

void ZipWriter::write(std::string_view bytes) {
  out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out_) throw ZipWriteError("the archive could not be written");
  offset_ += bytes.size();
}

uint32_t ZipWriter::offset32() const { return to32(offset_, "an archive offset"); }

}  // namespace tarvik::package
