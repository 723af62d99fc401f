#pragma once
// Extracting, testing or printing the chosen members one after the other.

#include <optional>
#include <string>
#include <vector>

#include "unziplib/archive_source.h"
#include "unziplib/member_writer.h"
#include "unziplib/second_writer.h"
#include "unziplib/entry_decoder.h"
#include "unziplib/folder_maker.h"
#include "unziplib/overwrite_policy.h"
#include "unziplib/password_source.h"
#include "unziplib/reporter.h"
#include "unziplib/run_request.h"
#include "unziplib/zip_format.h"

namespace tarvik::unziplib {

class MemberProcessor {
 public:
  enum class Mode { kExtract, kTest, kPrint };

  MemberProcessor(Mode mode, const RunRequest& request, const USERFUNCTIONS& callbacks,
                  InputFile& file, ArchiveSource& source, const ZipDirectory& directory,
                  Reporter& reporter);

  // Handles one member. A failure is reported and the member skipped; it is not raised. The
  // member's file may still be being written when this returns.
  void process(const ZipEntry& entry);
  // Waits for every file to be written and reports how the last ones went.
  void finish();
  // Prints the summary of the call.
  void summarize();

 private:
  struct Prepared {
    EncodedData data;
    std::optional<ZipDecrypter> decrypter;
  };

  void extract(const ZipEntry& entry);
  void test(const ZipEntry& entry);
  void print(const ZipEntry& entry);
  // Writes the file here, or leaves it to the second thread when that has room.
  void writeFile(WriteJob job);
  void collect(bool wait);
  // Finds the member's data and, when it is encrypted, a password that opens it.
  Prepared prepare(const ZipEntry& entry);
  void decode(Prepared& prepared, DataSink& sink);
  void reportSkip(WriteDecision decision, const std::string& shownPath);
  void reportFailure(const ZipEntry& entry, int code, const std::string& reason);

  Mode mode_;
  const RunRequest& request_;
  ArchiveSource& source_;
  const ZipDirectory& directory_;
  Reporter& reporter_;
  FolderMaker folders_;
  OverwritePolicy overwrite_;
  PasswordSource passwords_;
  EntryDecoder decoder_;
  MemberWriter writer_;
  std::optional<SecondWriter> second_;
  int done_ = 0;
  int skipped_ = 0;
  int failed_ = 0;
};

}  // namespace tarvik::unziplib
