// tarvik_make_package PROGRAM ARCHIVE OUTPUT: writes the installer package, the program's bytes
// followed by the archive's bytes, unchanged.

#include <cstdio>
#include <exception>

#include "package/installer_package.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: tarvik_make_package PROGRAM ARCHIVE OUTPUT\n");
    return 2;
  }
  try {
    const tarvik::package::PackageLayout layout =
        tarvik::package::buildPackage(argv[1], argv[2], argv[3]);
    std::printf("%s: program %llu bytes, archive %llu bytes from position %llu\n", argv[3],
                static_cast<unsigned long long>(layout.programLength),
                static_cast<unsigned long long>(layout.archiveLength),
                static_cast<unsigned long long>(layout.programLength));
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarvik_make_package: %s\n", error.what());
    return 1;
  }
}
