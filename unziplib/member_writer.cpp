#include "unziplib/member_writer.h"

#include "unziplib/dos_time.h"
#include "unziplib/line_ends.h"
#include "unziplib/unzip_error.h"

namespace tarvik::unziplib {
namespace {

UnzipError writeFailure(const WriteJob& job, const SystemFailure& failure) {
  const std::string reason = failure.diskFull() ? "the disk is full" : failure.reason();
  return UnzipError(TARVIK_UNZIP_WRITE_ERROR, "cannot write " + job.shownPath + ": " + reason);
}

}  // namespace

EncodedData encodedDataOf(ArchiveSource& source, const ZipDirectory& directory,
                          const ZipEntry& entry) {
  EncodedData data;
  data.offset = locateEntryData(source, directory, entry);
  data.length = entry.compressedSize;
  data.method = entry.method;
  data.declaredSize = entry.uncompressedSize;
  data.crc = entry.crc;
  return data;
}

void MemberWriter::write(WriteJob& job) {
  const std::unique_ptr<StagedFile> file = stage(job);
  commit(*file, job);
}

std::unique_ptr<StagedFile> MemberWriter::stage(WriteJob& job) {
  try {
    auto file = std::make_unique<StagedFile>(job.target);
    std::optional<LineEndSink> lineEnds;
    DataSink& sink = job.convertLineEnds && job.entry->markedAsText()
                         ? static_cast<DataSink&>(lineEnds.emplace(*file))
                         : *file;
    decode(job, sink);
    file->complete(localTimeOf(job.entry->dosDate, job.entry->dosTime));
    return file;
  } catch (const SystemFailure& failure) {
    throw writeFailure(job, failure);
  }
}

void MemberWriter::commit(StagedFile& file, const WriteJob& job) {
  try {
    file.commit();
  } catch (const SystemFailure& failure) {
    throw writeFailure(job, failure);
  }
}

void MemberWriter::check(WriteJob& job) {
  DiscardingSink nothing;
  decode(job, nothing);
}

void MemberWriter::decode(WriteJob& job, DataSink& sink) {
  if (!job.data) job.data = encodedDataOf(source_, directory_, *job.entry);
  decoder_.decode(source_, *job.data, job.decrypter ? &*job.decrypter : nullptr, sink);
}

}  // namespace tarvik::unziplib
