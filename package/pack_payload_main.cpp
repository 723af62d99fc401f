// tarvik_pack_payload PAYLOAD_FOLDER OUTPUT.zip: packs the files of PAYLOAD_FOLDER/scenery and
// PAYLOAD_FOLDER/texture into the installer's payload archive.

#include <cstdio>
#include <exception>
#include <filesystem>

#include "package/payload_folder.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tarvik_pack_payload PAYLOAD_FOLDER OUTPUT.zip\n");
    return 2;
  }
  try {
    using namespace tarvik::package;
    const PayloadFolderContents contents = collectPayloadFolder(argv[1]);
    for (const std::filesystem::path& skipped : contents.skipped)
      std::fprintf(stderr, "tarvik_pack_payload: not packed (only scenery and texture are): %s\n",
                   skipped.string().c_str());
    const ZipArchiveTotals totals = packPayloadFolder(contents, argv[2]);
    std::printf("%s: %zu entries, %llu bytes stored as %llu, archive %llu bytes\n", argv[2],
                contents.entries.size(), static_cast<unsigned long long>(totals.uncompressedBytes),
                static_cast<unsigned long long>(totals.compressedBytes),
                static_cast<unsigned long long>(totals.archiveBytes));
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarvik_pack_payload: %s\n", error.what());
    return 1;
  }
}
