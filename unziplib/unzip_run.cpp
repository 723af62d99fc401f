#include "unziplib/unzip_run.h"

#include <algorithm>
#include <new>
#include <vector>

#include "unziplib/archive_source.h"
#include "unziplib/member_lister.h"
#include "unziplib/member_processor.h"
#include "unziplib/name_match.h"
#include "unziplib/reporter.h"
#include "unziplib/stored_text.h"
#include "unziplib/unzip_error.h"
#include "unziplib/unzip_platform.h"
#include "unziplib/zip_format.h"

namespace tarvik::unziplib {
namespace {

struct Choice {
  std::vector<const ZipEntry*> members;
  std::vector<std::string> unmatchedNames;  // include names that chose nothing
};

Choice chooseMembers(const RunRequest& request, const ZipDirectory& directory) {
  MemberFilter filter(request.includes, request.excludes, request.caseSensitive);
  Choice choice;
  for (const ZipEntry& entry : directory.entries)
    if (filter.chooses(entry.name)) choice.members.push_back(&entry);
  choice.unmatchedNames = filter.unmatchedIncludes();
  if (filter.hasIncludes() && choice.members.empty())
    throw UnzipError(TARVIK_UNZIP_NO_MATCH, "no member of the archive matches the names given");
  return choice;
}

// Prints a text line by line; a line ends at CR LF, LF or CR.
void printLines(const std::string& text, Reporter& reporter) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    if (end > start) reporter.output(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

// Asks the service callback whether to go on with this member.
bool cancelledBefore(const ZipEntry& entry, const USERFUNCTIONS& callbacks) {
  if (!callbacks.ServCallBk) return false;
  const std::string name = toCallerText(entry.name);
  return callbacks.ServCallBk(name.c_str(), static_cast<uint32_t>(name.size())) == 1;
}

MemberProcessor::Mode processingMode(const RunRequest& request) {
  if (request.test) return MemberProcessor::Mode::kTest;
  if (request.toPrint) return MemberProcessor::Mode::kPrint;
  return MemberProcessor::Mode::kExtract;
}

void runOnArchive(const RunRequest& request, USERFUNCTIONS& callbacks, Reporter& reporter) {
  std::optional<InputFile> file;
  try {
    file.emplace(request.archive);
  } catch (const SystemFailure& failure) {
    throw UnzipError(TARVIK_UNZIP_NOT_FOUND,
                     "cannot open the archive " + request.archive + ": " + failure.reason());
  }
  ArchiveSource source(*file);
  const ZipDirectory directory = readDirectory(source);
  callbacks.cchComment = static_cast<uint16_t>(directory.comment.size());
  reporter.member("Archive:  " + request.archive);
  if (request.showComment) printLines(storedText(directory.comment, false), reporter);

  const Choice choice = chooseMembers(request, directory);
  const auto cancel = [&](const ZipEntry& entry) {
    reporter.stopped(TARVIK_UNZIP_CANCELLED,
                     "cancelled before " + entry.name + "; it and the members after it were left out");
  };
  if (request.list || request.detailedList) {
    MemberLister lister(request, callbacks, reporter);
    for (const ZipEntry* entry : choice.members) {
      if (cancelledBefore(*entry, callbacks)) return cancel(*entry);
      lister.list(*entry);
    }
    lister.summarize();
  } else {
    MemberProcessor processor(processingMode(request), request, callbacks, *file, source,
                              directory, choice.members, reporter);
    const ZipEntry* cancelledAt = nullptr;
    for (std::size_t index = 0; index < choice.members.size() && !cancelledAt; ++index) {
      // The members before this one are done; whatever was begun for later ones is dropped.
      if (cancelledBefore(*choice.members[index], callbacks))
        cancelledAt = choice.members[index];
      else
        processor.process(index);
    }
    processor.flushFolders();
    if (cancelledAt) return cancel(*cancelledAt);
    processor.summarize();
  }
  // The members that were found are done; a name that found nothing still fails the call.
  for (const std::string& name : choice.unmatchedNames)
    reporter.failure(TARVIK_UNZIP_NO_MATCH, "no member matches " + name);
}

}  // namespace

int runUnzip(const RunRequest& request, USERFUNCTIONS& callbacks) {
  Reporter reporter(callbacks.print, request.quietLevel);
  try {
    runOnArchive(request, callbacks, reporter);
  } catch (const UnzipError& error) {
    reporter.stopped(error.code(), error.what());
  } catch (const SystemFailure& failure) {
    reporter.stopped(TARVIK_UNZIP_WRITE_ERROR, failure.what());
  } catch (const std::bad_alloc&) {
    reporter.stopped(TARVIK_UNZIP_DAMAGED, "not enough memory to read the archive");
  } catch (const std::exception& error) {
    reporter.stopped(TARVIK_UNZIP_DAMAGED, error.what());
  }
  return reporter.finish();
}

}  // namespace tarvik::unziplib
