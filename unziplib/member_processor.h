#pragma once
// Extracting, testing or printing the chosen members one after the other, in archive order.
// Workers (inflate_pool.h) may decode members ahead; everything that is seen, on disk or
// through a callback, still happens here, member by member, on the calling thread.

#include <cstddef>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "unziplib/archive_source.h"
#include "unziplib/entry_decoder.h"
#include "unziplib/folder_maker.h"
#include "unziplib/inflate_pool.h"
#include "unziplib/member_writer.h"
#include "unziplib/overwrite_policy.h"
#include "unziplib/password_source.h"
#include "unziplib/reporter.h"
#include "unziplib/run_request.h"
#include "unziplib/zip_format.h"

namespace tarvik::unziplib {

class MemberProcessor {
 public:
  enum class Mode { kExtract, kTest, kPrint };

  // members: the chosen members, in the order process() will be called for them.
  MemberProcessor(Mode mode, const RunRequest& request, const USERFUNCTIONS& callbacks,
                  InputFile& file, ArchiveSource& source, const ZipDirectory& directory,
                  std::span<const ZipEntry* const> members, Reporter& reporter);

  // Handles members[index], done when this returns. A failure is reported and the member
  // skipped; it is not raised.
  void process(std::size_t index);
  // Puts the entries of every folder that received a file on the disk, so that the call's files
  // keep their names through a power cut once it returns. A failure is reported.
  void flushFolders();
  // Prints the summary of the call.
  void summarize();

 private:
  struct Prepared {
    EncodedData data;
    std::optional<ZipDecrypter> decrypter;
  };

  void extract(std::size_t index);
  void test(std::size_t index);
  void print(const ZipEntry& entry);
  // Gives the workers the members after index that they may decode ahead.
  void sendAhead(std::size_t index);
  // The job a worker may do for this member now, if any; stalls says that a later look may
  // find one (its folder is not made yet).
  std::optional<WriteJob> aheadJobOf(const ZipEntry& entry, bool& stalls) const;
  WriteJob fileJobOf(const ZipEntry& entry, const std::string& outputPath) const;
  // The worker's result for index when it succeeded. After a failure every job ahead is
  // dropped, so that the member is done again here exactly as without workers.
  std::optional<InflatePool::Result> resultOf(std::size_t index);
  // Finds the member's data and, when it is encrypted, a password that opens it.
  Prepared prepare(const ZipEntry& entry);
  void decode(Prepared& prepared, DataSink& sink);
  void reportSkip(WriteDecision decision, const std::string& shownPath);
  void reportFailure(const ZipEntry& entry, int code, const std::string& reason);

  Mode mode_;
  const RunRequest& request_;
  ArchiveSource& source_;
  const ZipDirectory& directory_;
  std::span<const ZipEntry* const> members_;
  Reporter& reporter_;
  FolderMaker folders_;
  OverwritePolicy overwrite_;
  PasswordSource passwords_;
  EntryDecoder decoder_;
  MemberWriter writer_;
  std::optional<InflatePool> pool_;
  std::set<std::string> namedIn_;  // the folders that files were moved into
  std::size_t nextAhead_ = 0;  // the first member not yet looked at for the workers
  int done_ = 0;
  int skipped_ = 0;
  int failed_ = 0;
};

}  // namespace tarvik::unziplib
