#include "unziplib/member_processor.h"

#include <algorithm>
#include <array>

#include "unziplib/dos_time.h"
#include "unziplib/entry_path.h"
#include "unziplib/unzip_error.h"

namespace tarvik::unziplib {
namespace {

// The folder a file's path names it in; the current folder for a bare name. Only the system's
// own separators count: elsewhere than on Windows a "\\" is part of a name.
std::string parentFolderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of(nativeSeparator() == '\\' ? "/\\" : "/");
  if (separator == std::string::npos) return ".";
  std::string folder = path.substr(0, separator);
  if (folder.empty() || folder.back() == ':') folder += path[separator];  // a root: "/", "C:\\"
  return folder;
}

// Member data for the print callback, in pieces the caller's texts can hold.
class PrintSink : public DataSink {
 public:
  explicit PrintSink(Reporter& reporter) : reporter_(reporter) {}
  void write(std::span<const uint8_t> bytes) override {
    constexpr std::size_t kPiece = 16384;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
      const auto piece = bytes.subspan(at, std::min(kPiece, bytes.size() - at));
      reporter_.raw(std::string_view(reinterpret_cast<const char*>(piece.data()), piece.size()));
    }
  }

 private:
  Reporter& reporter_;
};

// Why the member cannot be decoded; nothing when it can.
std::optional<std::string> unsupportedFeatureOf(const ZipEntry& entry) {
  if (entry.diskStart != 0) return "it lies on another disk";
  if (entry.strongEncryption()) return "it uses strong encryption";
  if (entry.method == zip_method::kWinZipAes) return "it is encrypted with WinZip AES (method 99)";
  if (entry.method == zip_method::kStored || entry.method == zip_method::kDeflated)
    return std::nullopt;
  const std::string_view name = zip_method::nameOf(entry.method);
  return "it is compressed with method " + std::to_string(entry.method) +
         (name.empty() ? std::string() : " (" + std::string(name) + ")");
}

void checkSupported(const ZipEntry& entry) {
  if (const auto feature = unsupportedFeatureOf(entry)) throw unsupported(*feature);
}

// Where the member goes; a name that could reach outside the folder is refused, alike whether
// the archive is extracted or tested.
OutputPath outputPathFor(const ZipEntry& entry, const RunRequest& request) {
  OutputPath output = outputPathOf(entry.name, {request.keepFolders, request.spaceToUnderscore});
  if (output.refused())
    throw UnzipError(TARVIK_UNZIP_WARNING, "unsafe name refused, nothing written: " + output.refusal);
  return output;
}

// How far the workers may run ahead of the calling thread: jobs per worker, and the members'
// number and sizes together (their staged files take that much disk space before their turn;
// the interface promises these bounds to callers that count the room an extraction needs).
constexpr std::size_t kJobsAheadPerWorker = 4;
constexpr std::size_t kMostJobsAhead = TARVIK_UNZIP_STAGED_AHEAD_FILES;
constexpr uint64_t kBytesAhead = TARVIK_UNZIP_STAGED_AHEAD_BYTES;

}  // namespace

MemberProcessor::MemberProcessor(Mode mode, const RunRequest& request,
                                 const USERFUNCTIONS& callbacks, InputFile& file,
                                 ArchiveSource& source, const ZipDirectory& directory,
                                 std::span<const ZipEntry* const> members, Reporter& reporter)
    : mode_(mode),
      request_(request),
      source_(source),
      directory_(directory),
      members_(members),
      reporter_(reporter),
      folders_(request.folder, reporter),
      overwrite_({request.overwrite, request.promptToOverwrite, request.extractOnlyNewer,
                  request.freshen},
                 callbacks.replace),
      passwords_(callbacks.password),
      writer_(source, directory) {
  const unsigned workers =
      InflatePool::workersForThisMachine(members.size(), mode == Mode::kExtract);
  if (mode != Mode::kPrint && workers > 0) pool_.emplace(file, directory, workers);
}

void MemberProcessor::process(std::size_t index) {
  const ZipEntry& entry = *members_[index];
  if (pool_) pool_->dropBefore(index);  // members whose turn ended before their job was taken
  sendAhead(index);
  try {
    switch (mode_) {
      case Mode::kExtract:
        extract(index);
        break;
      case Mode::kTest:
        test(index);
        break;
      case Mode::kPrint:
        print(entry);
        break;
    }
  } catch (const UnzipError& error) {
    reportFailure(entry, error.code(), error.what());
  }
  sendAhead(index);  // this member may have made the folder that later ones wait for
}

void MemberProcessor::sendAhead(std::size_t index) {
  if (!pool_ || pool_->workers() == 0) return;
  nextAhead_ = std::max(nextAhead_, index + 1);
  const std::size_t mostJobs = std::min(pool_->workers() * kJobsAheadPerWorker, kMostJobsAhead);
  while (nextAhead_ < members_.size() && pool_->pending() < mostJobs &&
         pool_->pendingBytes() < kBytesAhead) {
    bool stalls = false;
    std::optional<WriteJob> job = aheadJobOf(*members_[nextAhead_], stalls);
    if (stalls) return;
    if (job) pool_->add(nextAhead_, std::move(*job));
    ++nextAhead_;
  }
}

// Only members whose outcome depends on nothing that the members before them do, but for
// whether they are wanted at all, go ahead: no password to ask for, and a folder that is there.
std::optional<WriteJob> MemberProcessor::aheadJobOf(const ZipEntry& entry, bool& stalls) const {
  stalls = false;
  if (entry.isFolder() || entry.encrypted() || unsupportedFeatureOf(entry)) return std::nullopt;
  const OutputPath output =
      outputPathOf(entry.name, {request_.keepFolders, request_.spaceToUnderscore});
  if (output.refused()) return std::nullopt;
  if (mode_ == Mode::kTest) {
    WriteJob job;
    job.entry = &entry;
    job.shownPath = entry.name;
    return job;
  }
  if (output.path.empty()) return std::nullopt;
  if (!folders_.madeParentOf(output.path)) {
    stalls = true;  // its folder is made, or refused, when the members before it are done
    return std::nullopt;
  }
  WriteJob job = fileJobOf(entry, output.path);
  if (!overwrite_.likelyWrites(job.target)) return std::nullopt;
  return job;
}

WriteJob MemberProcessor::fileJobOf(const ZipEntry& entry, const std::string& outputPath) const {
  WriteJob job;
  job.entry = &entry;
  job.target = folders_.pathOf(outputPath);
  job.shownPath = outputPath;
  job.convertLineEnds = request_.convertLineEnds;
  return job;
}

std::optional<InflatePool::Result> MemberProcessor::resultOf(std::size_t index) {
  if (!pool_) return std::nullopt;
  std::optional<InflatePool::Result> result = pool_->take(index);
  if (!result || result->ok) return result;
  // Staged files ahead hold disk space that this member may need; they are made again later.
  pool_->dropAll();
  nextAhead_ = index + 1;
  return std::nullopt;
}

void MemberProcessor::reportFailure(const ZipEntry& entry, int code, const std::string& reason) {
  ++failed_;
  if (code == TARVIK_UNZIP_CRC_ERROR) {
    const char* cause = entry.encrypted() ? "the archive is damaged or the password is wrong"
                                          : "the archive is damaged";
    reporter_.failure(code, reason + " in " + entry.name + ": " + cause);
  } else if (code == TARVIK_UNZIP_WRITE_ERROR) {
    reporter_.failure(code, reason);  // names the file already
  } else {
    reporter_.failure(code, entry.name + ": " + reason);
  }
}

void MemberProcessor::extract(std::size_t index) {
  const ZipEntry& entry = *members_[index];
  const OutputPath output = outputPathFor(entry, request_);
  if (output.path.empty()) return;  // a folder entry, and folders are not kept
  try {
    if (entry.isFolder()) return folders_.ensure(output.path);
    checkSupported(entry);
    WriteJob job = fileJobOf(entry, output.path);
    const WriteDecision decision =
        overwrite_.decide(job.target, toCallerText(folders_.displayPathOf(output.path)),
                          localTimeOf(entry.dosDate, entry.dosTime));
    if (decision != WriteDecision::kWrite) return reportSkip(decision, output.path);
    if (entry.encrypted()) {
      Prepared prepared = prepare(entry);  // asks for the password before anything is written
      job.data = prepared.data;
      job.decrypter = std::move(prepared.decrypter);
    }
    folders_.ensureParentOf(output.path);
    reporter_.member((entry.method == zip_method::kStored ? " extracting: " : "  inflating: ") +
                     output.path);
    if (std::optional<InflatePool::Result> staged = resultOf(index))
      MemberWriter::commit(*staged->file, job);
    else
      writer_.write(job);
    namedIn_.insert(parentFolderOf(job.target));
    ++done_;
  } catch (const SystemFailure& failure) {
    const std::string reason = failure.diskFull() ? "the disk is full" : failure.reason();
    throw UnzipError(TARVIK_UNZIP_WRITE_ERROR, "cannot write " + output.path + ": " + reason);
  }
}

void MemberProcessor::test(std::size_t index) {
  const ZipEntry& entry = *members_[index];
  outputPathFor(entry, request_);
  if (entry.isFolder()) return;
  checkSupported(entry);
  if (!resultOf(index)) {
    Prepared prepared = prepare(entry);
    DiscardingSink nothing;
    decode(prepared, nothing);
  }
  ++done_;
  reporter_.member("    testing: " + entry.name + "   OK");
}

void MemberProcessor::print(const ZipEntry& entry) {
  if (entry.isFolder()) return;
  checkSupported(entry);
  Prepared prepared = prepare(entry);
  PrintSink printer(reporter_);
  decode(prepared, printer);
  ++done_;
}

MemberProcessor::Prepared MemberProcessor::prepare(const ZipEntry& entry) {
  EncodedData data = encodedDataOf(source_, directory_, entry);
  std::optional<ZipDecrypter> decrypter;
  if (entry.encrypted()) {
    if (data.length < ZipDecrypter::kHeaderSize)
      throw damagedArchive("its encryption header is missing");
    std::array<uint8_t, ZipDecrypter::kHeaderSize> header;
    const auto stored = source_.read(data.offset, header.size());
    std::copy(stored.begin(), stored.end(), header.begin());
    const uint8_t check = static_cast<uint8_t>(entry.hasDataDescriptor() ? entry.dosTime >> 8
                                                                          : entry.crc >> 24);
    auto unlocked = passwords_.unlock(header, check, toCallerText(entry.name));
    if (unlocked.outcome == PasswordSource::Outcome::kRefused)
      throw UnzipError(TARVIK_UNZIP_BAD_PASSWORD, "no password was given; the member was skipped");
    if (unlocked.outcome == PasswordSource::Outcome::kWrong)
      throw UnzipError(TARVIK_UNZIP_BAD_PASSWORD, "wrong password; the member was skipped");
    decrypter = std::move(unlocked.decrypter);
    data.offset += ZipDecrypter::kHeaderSize;
    data.length -= ZipDecrypter::kHeaderSize;
  }
  return {data, std::move(decrypter)};
}

void MemberProcessor::decode(Prepared& prepared, DataSink& sink) {
  decoder_.decode(source_, prepared.data, prepared.decrypter ? &*prepared.decrypter : nullptr,
                  sink);
}

void MemberProcessor::reportSkip(WriteDecision decision, const std::string& shownPath) {
  ++skipped_;
  switch (decision) {
    case WriteDecision::kSkipExisting:
      reporter_.member("   skipping: " + shownPath + " (exists, overwriting is off)");
      break;
    case WriteDecision::kSkipNotNewer:
      reporter_.member("   skipping: " + shownPath + " (the file is not older)");
      break;
    case WriteDecision::kSkipAnswered:
      reporter_.member("   skipping: " + shownPath + " (not replaced)");
      break;
    case WriteDecision::kSkipMissing:
    case WriteDecision::kWrite:
      break;
  }
}

void MemberProcessor::flushFolders() {
  for (const std::string& folder : namedIn_) {
    try {
      flushFolder(folder);
    } catch (const SystemFailure& failure) {
      ++failed_;
      reporter_.failure(TARVIK_UNZIP_WRITE_ERROR, failure.what());
    }
  }
  namedIn_.clear();
}

void MemberProcessor::summarize() {
  std::string line;
  switch (mode_) {
    case Mode::kExtract:
      line = std::to_string(done_) + (done_ == 1 ? " file" : " files") + " extracted";
      break;
    case Mode::kTest:
      line = failed_ == 0 ? "No errors detected in " + std::to_string(done_) + " tested files"
                          : std::to_string(done_) + " files tested without error";
      break;
    case Mode::kPrint:
      return;
  }
  if (skipped_ > 0) line += ", " + std::to_string(skipped_) + " skipped";
  if (failed_ > 0) line += ", " + std::to_string(failed_) + " failed";
  reporter_.summary(line);
}

}  // namespace tarvik::unziplib
