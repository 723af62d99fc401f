// tarvik_check_package PACKAGE PROGRAM [--archive ARCHIVE] [--library LIBRARY] [--list]
//                      [--no-extract] [--no-resources]
// Finds the archive in the installer package as the unzip library does and holds the package to
// the program it was built from, signed or not; with --library, holds the unzip library's
// imports to the program's rule. --list prints each entry as "CRC32 SIZE NAME".
// Exits with 0 when the package is sound, 1 when it is not.

#include <cstdio>
#include <cstring>
#include <exception>

#include "package/installer_package.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: tarvik_check_package PACKAGE PROGRAM [--archive ARCHIVE] "
               "[--library LIBRARY] [--list] [--no-extract] [--no-resources]\n");
  return 2;
}

unsigned long long wide(uint64_t value) { return static_cast<unsigned long long>(value); }

}  // namespace

int main(int argc, char** argv) {
  using namespace tarvik::package;
  if (argc < 3) return usage();
  PackageCheckOptions options;
  bool list = false;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--archive") == 0 && i + 1 < argc)
      options.archive = argv[++i];
    else if (std::strcmp(argv[i], "--library") == 0 && i + 1 < argc)
      options.library = argv[++i];
    else if (std::strcmp(argv[i], "--list") == 0)
      list = true;
    else if (std::strcmp(argv[i], "--no-extract") == 0)
      options.extractEntries = false;
    else if (std::strcmp(argv[i], "--no-resources") == 0)
      options.checkResources = false;
    else
      return usage();
  }
  try {
    const PackageReport report = checkPackage(argv[1], argv[2], options);
    if (list) {
      for (const PackageEntry& entry : report.entries)
        std::printf("%08X %u %s\n", entry.crc32, entry.size, entry.name.c_str());
    }
    // With the list on standard output, the findings go to standard error.
    FILE* out = list ? stderr : stdout;
    std::fprintf(out,
                 "%s: %llu bytes; program %llu bytes, checksum 0x%08X; end record at %llu; "
                 "central directory at %llu, stored as %u; shift %llu; %zu entries\n",
                 argv[1], wide(report.packageLength), wide(report.programLength),
                 report.programChecksum,
                 wide(report.endRecordPosition), wide(report.centralDirectoryPosition),
                 report.storedCentralDirectoryOffset, wide(report.shift), report.entries.size());
    if (report.isSigned())
      std::fprintf(out,
                   "signed: a signature of %llu bytes at %llu, behind the archive's end at %llu\n",
                   wide(report.signatureLength), wide(report.signaturePosition),
                   wide(report.archiveEnd));
    else
      std::fprintf(out, "unsigned\n");
    for (const std::string& problem : report.problems)
      std::fprintf(out, "  problem: %s\n", problem.c_str());
    std::fprintf(out, "%s\n", report.sound() ? "package sound" : "package NOT sound");
    return report.sound() ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarvik_check_package: %s\n", error.what());
    return 1;
  }
}
