// tarvik_unzip_bench ARCHIVE FOLDER [--test] [--lines]: extracts the archive into the folder with
// the unzip library, as the installer does (folder names kept, existing files overwritten, every
// line printed through the print callback), and prints the result, the number of lines, the time
// the call took and, on Linux, the peak resident memory of this program. With --test it only
// tests the archive (inflate and CRC, nothing written); with --lines it also prints every line.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "unziplib/tarvik_unzip.h"

namespace {

unsigned long printedLines = 0;
bool showLines = false;

int TARVIK_UNZIP_CALL countLine(char* text, uint32_t length) {
  ++printedLines;
  if (showLines) std::printf("%.*s\n", static_cast<int>(length), text);
  return 0;
}

// The program's own peak resident memory in KiB ("VmHWM"), 0 where the system does not say.
// The peak the parent sees when the program ends also counts the parent's memory before exec.
long peakResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string field;
  long kib = 0;
  while (status >> field)
    if (field == "VmHWM:" && status >> kib) return kib;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool testOnly = false;
  bool wrongUse = argc < 3;
  for (int i = 3; i < argc; ++i) {
    const std::string option = argv[i];
    testOnly = testOnly || option == "--test";
    showLines = showLines || option == "--lines";
    wrongUse = wrongUse || (option != "--test" && option != "--lines");
  }
  if (wrongUse) {
    std::fprintf(stderr, "usage: tarvik_unzip_bench ARCHIVE FOLDER [--test] [--lines]\n");
    return 2;
  }
  std::string archive = argv[1];
  std::string folder = argv[2];
  DCL options{};
  options.ndflag = 1;
  options.noflag = 1;
  options.ntflag = testOnly ? 1 : 0;
  options.lpszZipFN = archive.data();
  options.lpszExtractDir = folder.data();
  USERFUNCTIONS callbacks{};
  callbacks.print = countLine;

  const auto start = std::chrono::steady_clock::now();
  const int result = Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &options, &callbacks);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("result %d, %lu lines printed, %.3f s, peak resident memory %ld KiB\n", result,
              printedLines, took.count(), peakResidentKiB());
  return result == 0 ? 0 : 1;
}
