#pragma once
// Writing one member's file: its data decoded piece by piece into a temporary file beside the
// target and, once its size and CRC are right, put on the disk with the member's time (staging);
// then moved over the target (commit). The two steps may run on different threads, so that the
// disk's work for one member overlaps the decoding of the next.

#include <memory>
#include <optional>
#include <string>

#include "unziplib/archive_source.h"
#include "unziplib/entry_decoder.h"
#include "unziplib/staged_file.h"
#include "unziplib/unzip_platform.h"
#include "unziplib/zip_crypto.h"
#include "unziplib/zip_format.h"

namespace tarvik::unziplib {

// Where a member's data lies and what it must come to. Checks the local header.
EncodedData encodedDataOf(ArchiveSource& source, const ZipDirectory& directory,
                          const ZipEntry& entry);

struct WriteJob {
  const ZipEntry* entry = nullptr;
  std::string target;              // the file to write; empty when the data is only checked
  std::string shownPath;           // the member's output path, for messages
  bool convertLineEnds = false;
  std::optional<EncodedData> data;         // set when already located (encrypted members)
  std::optional<ZipDecrypter> decrypter;   // set for an encrypted member
};

class MemberWriter {
 public:
  MemberWriter(ArchiveSource& source, const ZipDirectory& directory)
      : source_(source), directory_(directory) {}

  // Writes the file: stage, then commit. Raises UnzipError; a failure to write is
  // TARVIK_UNZIP_WRITE_ERROR.
  void write(WriteJob& job);
  // Decodes the member into a temporary file beside its target and returns it complete, with
  // the member's time and on the disk, the target untouched. Raises UnzipError as write does.
  std::unique_ptr<StagedFile> stage(WriteJob& job);
  // Moves a staged file over the target.
  static void commit(StagedFile& file, const WriteJob& job);
  // Decodes the member and checks its size and CRC, writing nothing. Raises UnzipError.
  void check(WriteJob& job);

 private:
  void decode(WriteJob& job, DataSink& sink);

  ArchiveSource& source_;
  const ZipDirectory& directory_;
  EntryDecoder decoder_;
};

}  // namespace tarvik::unziplib
