#include "unziplib/member_processor.h"

#include <algorithm>
#include <array>

#include "unziplib/dos_time.h"
#include "unziplib/entry_path.h"
#include "unziplib/unzip_error.h"

namespace tarvik::unziplib {
namespace {

class NullSink : public DataSink {
 public:
  void write(std::span<const uint8_t>) override {}
};

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

void checkSupported(const ZipEntry& entry) {
  if (entry.zip64) throw unsupported("it uses ZIP64 extensions");
  if (entry.diskStart != 0) throw unsupported("it lies on another disk");
  if (entry.strongEncryption()) throw unsupported("it uses strong encryption");
  if (entry.method != zip_method::kStored && entry.method != zip_method::kDeflated)
    throw unsupported("it is compressed with method " + std::to_string(entry.method));
}

}  // namespace

MemberProcessor::MemberProcessor(Mode mode, const RunRequest& request,
                                 const USERFUNCTIONS& callbacks, InputFile& file,
                                 ArchiveSource& source, const ZipDirectory& directory,
                                 Reporter& reporter)
    : mode_(mode),
      request_(request),
      source_(source),
      directory_(directory),
      reporter_(reporter),
      folders_(request.folder, reporter),
      overwrite_({request.overwrite, request.promptToOverwrite, request.extractOnlyNewer,
                  request.freshen},
                 callbacks.replace),
      passwords_(callbacks.password),
      writer_(source, directory) {
  if (mode == Mode::kExtract) second_.emplace(file, directory);
}

void MemberProcessor::process(const ZipEntry& entry) {
  collect(false);
  try {
    switch (mode_) {
      case Mode::kExtract:
        extract(entry);
        break;
      case Mode::kTest:
        test(entry);
        break;
      case Mode::kPrint:
        print(entry);
        break;
    }
  } catch (const UnzipError& error) {
    reportFailure(entry, error.code(), error.what());
  }
}

void MemberProcessor::collect(bool wait) {
  if (!second_) return;
  for (const SecondWriter::Outcome& outcome : second_->finished(wait)) {
    if (outcome.code == TARVIK_UNZIP_OK)
      ++done_;
    else
      reportFailure(*outcome.entry, outcome.code, outcome.message);
  }
}

void MemberProcessor::finish() { collect(true); }

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

void MemberProcessor::extract(const ZipEntry& entry) {
  const OutputPath output =
      outputPathOf(entry.name, {request_.keepFolders, request_.spaceToUnderscore});
  if (output.refused())
    throw UnzipError(TARVIK_UNZIP_WARNING, "unsafe name refused, nothing written: " + output.refusal);
  if (output.path.empty()) return;  // a folder entry, and folders are not kept
  try {
    if (entry.isFolder()) return folders_.ensure(output.path);
    checkSupported(entry);
    WriteJob job;
    job.entry = &entry;
    job.target = folders_.pathOf(output.path);
    job.shownPath = output.path;
    job.convertLineEnds = request_.convertLineEnds;
    // A file of the same name still being written must be done before this one is looked at.
    if (second_ && second_->writing(job.target)) collect(true);
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
    writeFile(std::move(job));
  } catch (const SystemFailure& failure) {
    const std::string reason = failure.diskFull() ? "the disk is full" : failure.reason();
    throw UnzipError(TARVIK_UNZIP_WRITE_ERROR, "cannot write " + output.path + ": " + reason);
  }
}

void MemberProcessor::writeFile(WriteJob job) {
  if (second_ && !job.decrypter && second_->offer(job)) return;
  writer_.write(job);
  ++done_;
}

void MemberProcessor::test(const ZipEntry& entry) {
  if (entry.isFolder()) return;
  checkSupported(entry);
  Prepared prepared = prepare(entry);
  NullSink nothing;
  decode(prepared, nothing);
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
