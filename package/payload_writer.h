#pragma once
// Writes the demo payload below an output folder: the files as payload/scenery/* and
// payload/texture/*, and all of them with the two folder entries as payload.zip.

#include <cstdint>
#include <filesystem>

#include "package/payload_plan.h"
#include "package/zip_writer.h"

namespace tarvik::package {

namespace payload {
inline constexpr uint16_t kVersionMadeBy = 20;  // 2.0 on MS-DOS
inline constexpr uint16_t kFileVersionNeeded = 20;
inline constexpr uint16_t kFolderVersionNeeded = 10;
inline constexpr uint32_t kFileAttributes = 0x81B60020;    // archive; Unix mode 100666
inline constexpr uint32_t kFolderAttributes = 0x41FF0010;  // directory; Unix mode 40777
inline constexpr int kCompressionLevel = 6;
}  // namespace payload

struct PayloadSummary {
  size_t entries = 0;
  ZipArchiveTotals archive;
};

// The archive header fields of a payload entry.
ZipEntryAttributes archiveAttributes(const PayloadEntry& entry);

// Creates the output folder if needed and replaces its "payload" sub-folder with everything in
// it, and its payload.zip. The archive is written under a temporary name and renamed when
// complete. Throws on any failure.
PayloadSummary writePayload(const std::filesystem::path& outputFolder);

}  // namespace tarvik::package
