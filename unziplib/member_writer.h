#pragma once
// Writing one member's file: its data decoded piece by piece into a temporary file beside the
// target, which is moved over the target once its size and CRC are right.

#include <optional>
#include <string>

#include "unziplib/archive_source.h"
#include "unziplib/entry_decoder.h"
#include "unziplib/unzip_platform.h"
#include "unziplib/zip_crypto.h"
#include "unziplib/zip_format.h"

namespace tarvik::unziplib {

// Where a member's data lies and what it must come to. Checks the local header.
EncodedData encodedDataOf(ArchiveSource& source, const ZipDirectory& directory,
                          const ZipEntry& entry);

struct WriteJob {
  const ZipEntry* entry = nullptr;
  std::string target;              // the file to write
  std::string shownPath;           // the member's output path, for messages
  bool convertLineEnds = false;
  std::optional<EncodedData> data;         // set when already located (encrypted members)
  std::optional<ZipDecrypter> decrypter;   // set for an encrypted member
};

class MemberWriter {
 public:
  MemberWriter(ArchiveSource& source, const ZipDirectory& directory)
      : source_(source), directory_(directory) {}

  // Writes the file. Raises UnzipError; a failure to write is TARVIK_UNZIP_WRITE_ERROR.
  void write(WriteJob& job);

 private:
  ArchiveSource& source_;
  const ZipDirectory& directory_;
  EntryDecoder decoder_;
};

}  // namespace tarvik::unziplib
