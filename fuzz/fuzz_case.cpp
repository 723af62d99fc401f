#include "fuzz/fuzz_case.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "tests/unziplib/unzip_call.h"

namespace tarvik::fuzzing {
namespace {

namespace fs = std::filesystem;
using testing::UnzipCall;

constexpr std::size_t kLeadSize = 2;
constexpr int kDocumentedResults[] = {
    TARVIK_UNZIP_OK,          TARVIK_UNZIP_WARNING,     TARVIK_UNZIP_NOT_FOUND,
    TARVIK_UNZIP_NOT_ZIP,     TARVIK_UNZIP_DAMAGED,     TARVIK_UNZIP_UNSUPPORTED,
    TARVIK_UNZIP_CRC_ERROR,   TARVIK_UNZIP_WRITE_ERROR, TARVIK_UNZIP_BAD_PASSWORD,
    TARVIK_UNZIP_CANCELLED,   TARVIK_UNZIP_NO_MATCH,    TARVIK_UNZIP_BAD_ARGUMENT};

// Lead byte 0: the mode (low three bits, modulo the number of modes), then ndflag, noflag,
// naflag, SpaceToUnderscore, nzflag. Lead byte 1: fQuiet (two bits), PromptToOverwrite,
// ExtractOnlyNewer, nfflag, C_flag, an include list, an exclude list.
constexpr uint8_t kKeepFolders = 1 << 3;
constexpr uint8_t kOverwrite = 1 << 4;

Mode modeOf(uint8_t lead) { return kModes[(lead & 7) % std::size(kModes)]; }

bool writes(Mode mode) { return mode == Mode::kExtract || mode == Mode::kExtractTwice; }

void configure(UnzipCall& call, Mode mode, uint8_t first, uint8_t second) {
  DCL& dcl = call.dcl;
  dcl.nvflag = mode == Mode::kList;
  dcl.nZIflag = mode == Mode::kDetailedList;
  dcl.ntflag = mode == Mode::kTest;
  dcl.ncflag = mode == Mode::kPrint;
  dcl.ndflag = (first & kKeepFolders) != 0;
  dcl.noflag = (first & kOverwrite) != 0;
  dcl.naflag = (first >> 5) & 1;
  dcl.SpaceToUnderscore = (first >> 6) & 1;
  dcl.nzflag = (first >> 7) & 1;
  dcl.fQuiet = second & 3;
  dcl.PromptToOverwrite = (second >> 2) & 1;
  dcl.ExtractOnlyNewer = (second >> 3) & 1;
  dcl.nfflag = (second >> 4) & 1;
  dcl.C_flag = (second >> 5) & 1;
  if (second & (1 << 6)) call.includes = {"*.bgl", "docs/readme.txt", "nothing?"};
  if (second & (1 << 7)) call.excludes = {"*/sub/*", "*.TXT"};
  call.passwords = {"Secret 42", "wrong", "Secret 42"};
  call.replaceAnswers = {TARVIK_REPLACE_YES, TARVIK_REPLACE_NO, TARVIK_REPLACE_ALL};
}

bool isStagingName(const std::string& name) {
  return name.size() > 8 && name.rfind("~tvk", 0) == 0 && name.ends_with(".tmp");
}

// Walks the work folder: the archive, the folders above the extraction folder and, when the
// call may write, whatever lies below it are expected; anything else is a finding.
void checkWorkFolder(const fs::path& work, bool mayWrite, std::vector<std::string>& problems) {
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(work, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const std::string relative = it->path().lexically_relative(work).generic_string();
    const std::string name = it->path().filename().string();
    const bool expected = relative == "archive.zip" || relative == "a" || relative == "a/b" ||
                          (mayWrite && (relative == "a/b/out" || relative.rfind("a/b/out/", 0) == 0));
    if (!expected)
      problems.push_back((mayWrite ? "created outside the extraction folder: "
                                   : "written while not extracting: ") + relative);
    else if (isStagingName(name))
      problems.push_back("staging file left behind: " + relative);
  }
  if (error) problems.push_back("cannot walk the work folder: " + error.message());
}

}  // namespace

std::string leadFor(Mode mode) {
  return {static_cast<char>(static_cast<uint8_t>(mode) | kKeepFolders | kOverwrite), '\0'};
}

std::vector<std::string> runAndCheck(std::span<const uint8_t> input, const fs::path& work) {
  std::vector<std::string> problems;
  if (input.size() < kLeadSize) return problems;
  std::error_code ignored;
  fs::remove_all(work, ignored);
  fs::create_directories(work / "a" / "b");
  const fs::path archive = work / "archive.zip";
  std::ofstream(archive, std::ios::binary)
      .write(reinterpret_cast<const char*>(input.data() + kLeadSize),
             static_cast<std::streamsize>(input.size() - kLeadSize));

  const Mode mode = modeOf(input[0]);
  const int calls = mode == Mode::kExtractTwice ? 2 : 1;
  for (int i = 0; i < calls; ++i) {
    UnzipCall call(archive, work / "a" / "b" / "out");
    configure(call, mode, input[0], input[1]);
    const int result = call.run();
    if (std::find(std::begin(kDocumentedResults), std::end(kDocumentedResults), result) ==
        std::end(kDocumentedResults))
      problems.push_back("undocumented result " + std::to_string(result));
    if (result != TARVIK_UNZIP_OK && call.lastLine().rfind("error: ", 0) != 0)
      problems.push_back("result " + std::to_string(result) + " without an error line last");
    checkWorkFolder(work, writes(mode), problems);
  }
  fs::remove_all(work, ignored);
  return problems;
}

}  // namespace tarvik::fuzzing
