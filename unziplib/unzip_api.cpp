// The library's two exported entry points. Nothing but a result code leaves them: every
// failure inside is caught and reported through the print callback.

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "unziplib/entry_decoder.h"
#include "unziplib/run_request.h"
#include "unziplib/tarvik_unzip.h"
#include "unziplib/unzip_platform.h"
#include "unziplib/unzip_run.h"

namespace tarvik::unziplib {
namespace {

// The layouts the callers rely on: fifteen 32-bit fields before the texts, a 64-byte record.
static_assert(offsetof(DCL, lpszZipFN) == (sizeof(void*) == 8 ? 64 : 60));
static_assert(sizeof(UzpVer2) == 64 && offsetof(UzpVer2, windll) == 60);

constexpr uint8_t kVersion[4] = {1, 0, 0, 0};
constexpr const char* kReleaseDate = "2026-12-08";

std::vector<std::string> namesOf(int count, char** names) {
  std::vector<std::string> result;
  for (int i = 0; names && i < count; ++i) {
    if (!names[i]) break;
    if (names[i][0] != '\0') result.push_back(fromCallerText(names[i]));
  }
  return result;
}

RunRequest requestOf(const DCL& dcl) {
  RunRequest request;
  request.extractOnlyNewer = dcl.ExtractOnlyNewer != 0;
  request.spaceToUnderscore = dcl.SpaceToUnderscore != 0;
  request.promptToOverwrite = dcl.PromptToOverwrite != 0;
  request.quietLevel = dcl.fQuiet;
  request.toPrint = dcl.ncflag != 0;
  request.test = dcl.ntflag != 0;
  request.list = dcl.nvflag != 0;
  request.freshen = dcl.nfflag != 0;
  request.showComment = dcl.nzflag != 0;
  request.keepFolders = dcl.ndflag != 0;
  request.overwrite = dcl.noflag != 0;
  request.convertLineEnds = dcl.naflag != 0;
  request.detailedList = dcl.nZIflag != 0;
  request.caseSensitive = dcl.C_flag != 0;
  request.archive = fromCallerText(dcl.lpszZipFN);
  request.folder = dcl.lpszExtractDir ? fromCallerText(dcl.lpszExtractDir) : std::string();
  return request;
}

void copyText(char* field, std::size_t size, const char* text) {
  std::strncpy(field, text, size - 1);
  field[size - 1] = '\0';
}

}  // namespace
}  // namespace tarvik::unziplib

extern "C" {

TARVIK_UNZIP_API int TARVIK_UNZIP_CALL Wiz_SingleEntryUnzip(int includeCount, char** includeNames,
                                                            int excludeCount, char** excludeNames,
                                                            DCL* dcl, USERFUNCTIONS* callbacks) {
  using namespace tarvik::unziplib;
  USERFUNCTIONS none{};
  USERFUNCTIONS& calls = callbacks ? *callbacks : none;
  if (!dcl || !dcl->lpszZipFN || (includeCount > 0 && !includeNames) ||
      (excludeCount > 0 && !excludeNames)) {
    if (calls.print) {
      char text[] = "error: the call names no archive";
      calls.print(text, sizeof text - 1);
    }
    return TARVIK_UNZIP_BAD_ARGUMENT;
  }
  try {
    RunRequest request = requestOf(*dcl);
    request.includes = namesOf(includeCount, includeNames);
    request.excludes = namesOf(excludeCount, excludeNames);
    return runUnzip(request, calls);
  } catch (...) {
    return TARVIK_UNZIP_DAMAGED;  // only a failure to copy the call's texts can get here
  }
}

TARVIK_UNZIP_API int TARVIK_UNZIP_CALL UzpVersion2(UzpVer2* version) {
  using namespace tarvik::unziplib;
  if (!version || version->structlen != sizeof(UzpVer2)) return 1;
  version->flag = 0;
  copyText(version->betalevel, sizeof version->betalevel, "");
  copyText(version->date, sizeof version->date, kReleaseDate);
  copyText(version->zlib_version, sizeof version->zlib_version, inflateLibraryVersion());
  std::memcpy(version->unzip, kVersion, sizeof kVersion);
  std::memcpy(version->zipinfo, kVersion, sizeof kVersion);
  std::memset(version->os2dll, 0, sizeof version->os2dll);
  std::memcpy(version->windll, kVersion, sizeof kVersion);
  return 0;
}

}  // extern "C"
