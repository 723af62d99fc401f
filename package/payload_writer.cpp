#include "package/payload_writer.h"

#include <fstream>
#include <stdexcept>

#include "package/payload_content.h"

namespace fs = std::filesystem;

namespace tarvik::package {
namespace {

void writeFile(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

ZipEntryAttributes archiveAttributes(const PayloadEntry& entry) {
  ZipEntryAttributes attributes;
  attributes.name = entry.name;
  attributes.modified = entry.modified;
  attributes.versionMadeBy = payload::kVersionMadeBy;
  attributes.versionNeeded =
      entry.isFolder() ? payload::kFolderVersionNeeded : payload::kFileVersionNeeded;
  attributes.internalAttributes = entry.markedAsText ? kInternalAttributeText : 0;
  attributes.externalAttributes =
      entry.isFolder() ? payload::kFolderAttributes : payload::kFileAttributes;
  return attributes;
}

PayloadSummary writePayload(const fs::path& outputFolder) {
  const fs::path files = outputFolder / "payload";
  const fs::path archive = outputFolder / "payload.zip";
  const fs::path partial = outputFolder / "payload.zip.part";
  // Files of an earlier payload would linger beside this one.
  fs::remove_all(files);
  fs::create_directories(files);

  std::ofstream out(partial, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot create " + partial.string());
  ZipWriter writer(out, payload::kCompressionLevel);
  for (const PayloadEntry& entry : payloadPlan()) {
    const fs::path path = files / fs::path(entry.name).make_preferred();
    if (entry.isFolder()) {
      fs::create_directories(path);
      writer.addStored(archiveAttributes(entry), {});
    } else {
      // Files come before their folder entry in the archive.
      fs::create_directories(path.parent_path());
      const std::string content = payloadContent(entry);
      writeFile(path, content);
      writer.addDeflated(archiveAttributes(entry), content);
    }
  }
  PayloadSummary summary{writer.entryCount(), writer.finish()};
  out.close();
  if (!out) throw std::runtime_error("cannot write " + partial.string());
  fs::rename(partial, archive);
  return summary;
}

}  // namespace tarvik::package
