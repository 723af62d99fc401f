#include "unziplib/member_writer.h"

#include "unziplib/dos_time.h"
#include "unziplib/line_ends.h"
#include "unziplib/staged_file.h"
#include "unziplib/unzip_error.h"

namespace tarvik::unziplib {

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
  const ZipEntry& entry = *job.entry;
  try {
    if (!job.data) job.data = encodedDataOf(source_, directory_, entry);
    StagedFile file(job.target);
    std::optional<LineEndSink> lineEnds;
    DataSink& sink = job.convertLineEnds && entry.markedAsText()
                         ? static_cast<DataSink&>(lineEnds.emplace(file))
                         : file;
    decoder_.decode(source_, *job.data, job.decrypter ? &*job.decrypter : nullptr, sink);
    file.commit(localTimeOf(entry.dosDate, entry.dosTime));
  } catch (const SystemFailure& failure) {
    const std::string reason = failure.diskFull() ? "the disk is full" : failure.reason();
    throw UnzipError(TARVIK_UNZIP_WRITE_ERROR, "cannot write " + job.shownPath + ": " + reason);
  }
}

}  // namespace tarvik::unziplib
