#include "package/payload_folder.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "package/payload_writer.h"
#include "package/zip_layout.h"

namespace fs = std::filesystem;

namespace tarvik::package {
namespace {

// The archive's folders in archive order.
constexpr const char* kFolders[] = {"texture", "scenery"};

constexpr DosDateTime kEarliestDosTime{1980, 1, 1, 0, 0, 0};
constexpr DosDateTime kLatestDosTime{2107, 12, 31, 23, 59, 58};

std::string readWholeFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw PayloadFolderError("cannot read " + file.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw PayloadFolderError("cannot read " + file.string());
  return std::move(bytes).str();
}

// The files of one sub-folder, by name, with nothing that Windows would refuse or merge.
std::vector<PayloadFile> collectSubFolder(const fs::path& payloadFolder, const char* folderName) {
  const fs::path folder = payloadFolder / folderName;
  if (!fs::is_directory(folder))
    throw PayloadFolderError("the payload folder has no \"" + std::string(folderName) +
                             "\" sub-folder: " + folder.string());
  std::vector<fs::directory_entry> entries(fs::directory_iterator(folder), {});
  std::sort(entries.begin(), entries.end());
  std::map<std::string, std::string> byLowerName;  // lower case -> name
  std::vector<PayloadFile> files;
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory())
      throw PayloadFolderError("a sub-folder inside the payload's " + std::string(folderName) +
                               " folder, which the installer does not update: " +
                               entry.path().string());
    if (!entry.is_regular_file())
      throw PayloadFolderError("not a file: " + entry.path().string());
    if (const std::string problem = payloadNameProblem(name); !problem.empty())
      throw PayloadFolderError(entry.path().string() + ": " + problem);
    const auto [clash, isNew] = byLowerName.emplace(lowerCase(name), name);
    if (!isNew)
      throw PayloadFolderError("the names " + clash->second + " and " + name + " in " +
                               folder.string() + " are one file on Windows");
    files.push_back({std::string(folderName) + "/" + name, entry.path(),
                     dosTimeOfFile(entry.path())});
  }
  return files;
}

ZipArchiveTotals writeArchive(const PayloadFolderContents& contents, const fs::path& partial) {
  std::ofstream out(partial, std::ios::binary | std::ios::trunc);
  if (!out) throw PayloadFolderError("cannot create " + partial.string());
  ZipWriter writer(out, payload::kCompressionLevel);
  for (const PayloadFile& entry : contents.entries) {
    ZipEntryAttributes attributes;
    attributes.name = entry.name;
    attributes.modified = entry.modified;
    attributes.versionMadeBy = payload::kVersionMadeBy;
    if (entry.path.empty()) {
      attributes.versionNeeded = payload::kFolderVersionNeeded;
      attributes.externalAttributes = payload::kFolderAttributes;
      writer.addStored(attributes, {});
    } else {
      attributes.versionNeeded = payload::kFileVersionNeeded;
      attributes.externalAttributes = payload::kFileAttributes;
      writer.addDeflated(attributes, readWholeFile(entry.path));
    }
  }
  const ZipArchiveTotals totals = writer.finish();
  out.close();
  if (!out) throw PayloadFolderError("cannot write " + partial.string());
  return totals;
}

}  // namespace

std::string payloadNameProblem(const std::string& name) {
  if (name.empty()) return "an empty name";
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E) return "a name that is not plain printable ASCII";
    if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
      return std::string("a name with the character ") + c + ", which Windows does not allow";
  }
  if (name.back() == ' ' || name.back() == '.')
    return "a name ending with a blank or a dot, which Windows drops";
  if (name.front() == ' ') return "a name starting with a blank";
  return {};
}

DosDateTime dosTimeOfFile(const fs::path& file) {
  const auto changed = std::chrono::file_clock::to_sys(fs::last_write_time(file));
  const std::time_t seconds = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::seconds>(changed));
  const std::tm* local = std::localtime(&seconds);
  if (!local) return kEarliestDosTime;
  if (local->tm_year + 1900 < kEarliestDosTime.year) return kEarliestDosTime;
  if (local->tm_year + 1900 > kLatestDosTime.year) return kLatestDosTime;
  return DosDateTime{local->tm_year + 1900, local->tm_mon + 1,      local->tm_mday,
                     local->tm_hour,        local->tm_min, std::min(local->tm_sec, 59) / 2 * 2};
}

PayloadFolderContents collectPayloadFolder(const fs::path& folder) {
  if (!fs::is_directory(folder))
    throw PayloadFolderError("no payload folder " + folder.string());
  PayloadFolderContents contents;
  std::vector<std::vector<PayloadFile>> groups;
  for (const char* folderName : kFolders) groups.push_back(collectSubFolder(folder, folderName));

  DosDateTime latest = kEarliestDosTime;
  size_t fileCount = 0;
  for (const auto& group : groups) {
    for (const PayloadFile& file : group) latest = std::max(latest, file.modified);
    fileCount += group.size();
  }
  if (fileCount == 0) throw PayloadFolderError("no file to pack in " + folder.string());

  for (size_t i = 0; i < groups.size(); ++i) {
    std::move(groups[i].begin(), groups[i].end(), std::back_inserter(contents.entries));
    contents.entries.push_back({std::string(kFolders[i]) + "/", {}, latest});
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != "scenery" && name != "texture") contents.skipped.push_back(entry.path());
  }
  std::sort(contents.skipped.begin(), contents.skipped.end());
  return contents;
}

ZipArchiveTotals packPayloadFolder(const PayloadFolderContents& contents,
                                   const fs::path& archive) {
  fs::path partial = archive;
  partial += ".part";
  try {
    const ZipArchiveTotals totals = writeArchive(contents, partial);
    fs::rename(partial, archive);
    return totals;
  } catch (...) {
    std::error_code ignored;
    fs::remove(partial, ignored);
    throw;
  }
}

}  // namespace tarvik::package
