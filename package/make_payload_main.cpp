// tarvik_make_payload OUTPUT_FOLDER: writes the demo payload's files below
// OUTPUT_FOLDER/payload (replacing what was there) and its archive as OUTPUT_FOLDER/payload.zip,
// the same bytes every run.

#include <cstdio>
#include <exception>
#include <filesystem>

#include "package/payload_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tarvik_make_payload OUTPUT_FOLDER\n");
    return 2;
  }
  try {
    const std::filesystem::path output(argv[1]);
    const tarvik::package::PayloadSummary summary = tarvik::package::writePayload(output);
    const auto& totals = summary.archive;
    std::printf("%s: %zu entries, %llu bytes stored as %llu (%.1f%%), archive %llu bytes\n",
                (output / "payload.zip").string().c_str(), summary.entries,
                static_cast<unsigned long long>(totals.uncompressedBytes),
                static_cast<unsigned long long>(totals.compressedBytes),
                100.0 * static_cast<double>(totals.compressedBytes) /
                    static_cast<double>(totals.uncompressedBytes),
                static_cast<unsigned long long>(totals.archiveBytes));
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarvik_make_payload: %s\n", error.what());
    return 1;
  }
}
