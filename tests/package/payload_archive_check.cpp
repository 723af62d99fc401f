// Reads back the demo payload that tarvik_make_payload wrote when this check was built, and
// holds its archive and files to the properties the installer package relies on.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/obsolete_files.h"
#include "package/dos_date_time.h"
#include "package/zip_reader.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace tarvik::package {
namespace {

using tarvik::testing::readFile;
using tarvik::testing::TempFolder;

const fs::path kOutput = TARVIK_PAYLOAD_OUTPUT;
const DosDateTime kEarliest{1999, 2, 23, 18, 20, 38};
const DosDateTime kLatest{2002, 1, 26, 9, 49, 14};

ZipReader& payloadArchive() {
  static ZipReader reader(kOutput / "payload.zip");
  return reader;
}

const std::vector<ZipCentralEntry>& entries() { return payloadArchive().entries(); }

std::vector<const ZipCentralEntry*> files() {
  std::vector<const ZipCentralEntry*> found;
  for (const ZipCentralEntry& entry : entries())
    if (!entry.isFolder()) found.push_back(&entry);
  return found;
}

bool isTexture(const ZipCentralEntry& entry) { return entry.name().starts_with("texture/"); }

std::string bareName(const std::string& name) { return name.substr(name.find('/') + 1); }

std::string extensionOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

DosDateTime modified(const ZipCentralEntry& entry) {
  return DosDateTime::fromDos(entry.fields.date, entry.fields.time);
}

// NUL or another control byte that text does not hold (TAB, LF, FF and CR are text).
bool holdsNonTextBytes(const std::string& bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\f' && byte != '\r';
  });
}

TEST(PayloadArchiveLayout, EndRecordOfAStandAloneSingleDiskArchive) {
  ZipReader& archive = payloadArchive();
  const ZipEndRecord& end = archive.endRecord();
  EXPECT_EQ(archive.shift(), 0u);
  EXPECT_EQ(end.position, archive.fileSize() - kEndRecordSize);
  EXPECT_EQ(end.diskNumber, 0);
  EXPECT_EQ(end.centralDirectoryDisk, 0);
  EXPECT_EQ(end.entriesOnDisk, 513);
  EXPECT_EQ(end.entriesTotal, 513);
  EXPECT_EQ(end.commentLength, 0);
  EXPECT_EQ(end.centralDirectoryOffset, archive.centralDirectoryPosition());
  uint64_t directorySize = 0;
  for (const ZipCentralEntry& entry : entries())
    directorySize += kCentralHeaderSize + entry.name().size();
  EXPECT_EQ(end.centralDirectorySize, directorySize);
}

TEST(PayloadArchiveLayout, EntriesLieBackToBack) {
  ZipReader& archive = payloadArchive();
  uint64_t expected = 0;
  for (const ZipCentralEntry& entry : entries()) {
    EXPECT_EQ(entry.localHeaderOffset, expected) << entry.name();
    EXPECT_EQ(entry.local.dataPosition, expected + kLocalHeaderSize + entry.name().size())
        << entry.name();
    expected = entry.dataEnd();
  }
  EXPECT_EQ(archive.centralDirectoryPosition(), expected);
  EXPECT_EQ(archive.endRecord().position,
            archive.centralDirectoryPosition() + archive.endRecord().centralDirectorySize);
}

TEST(PayloadArchiveLayout, NoExtraFieldsCommentsDescriptorsOrEncryption) {
  for (const ZipCentralEntry& entry : entries()) {
    EXPECT_EQ(entry.extraLength, 0) << entry.name();
    EXPECT_EQ(entry.local.extraLength, 0) << entry.name();
    EXPECT_EQ(entry.commentLength, 0) << entry.name();
    EXPECT_EQ(entry.diskNumberStart, 0) << entry.name();
    EXPECT_EQ(entry.fields.flags, 0) << entry.name();
  }
}

TEST(PayloadArchiveLayout, LocalHeadersRepeatTheirCentralEntries) {
  for (const ZipCentralEntry& entry : entries())
    EXPECT_EQ(entry.local.fields, entry.fields) << entry.name();
}

TEST(PayloadEntries, FolderEntriesComeAfterTheFilesTheyHold) {
  ASSERT_EQ(entries().size(), 513u);
  const auto groupOf = [](const ZipCentralEntry& entry) {
    if (entry.isFolder()) return entry.name();
    return std::string(isTexture(entry) ? "texture file" : "scenery file");
  };
  std::vector<std::pair<std::string, size_t>> groups;
  for (const ZipCentralEntry& entry : entries()) {
    if (!groups.empty() && groups.back().first == groupOf(entry))
      ++groups.back().second;
    else
      groups.emplace_back(groupOf(entry), 1);
  }
  const std::vector<std::pair<std::string, size_t>> expected{
      {"texture file", 271}, {"texture/", 1},     {"scenery file", 236}, {"scenery/", 1},
      {"texture file", 2},   {"scenery file", 1}, {"texture file", 1}};
  EXPECT_EQ(groups, expected);
}

TEST(PayloadEntries, NamesArePlainAsciiUnderTheTwoFolders) {
  std::set<std::string> withoutCase;
  size_t withCapitals = 0, withSpace = 0, shortest = 1000, longest = 0;
  for (const ZipCentralEntry& entry : entries()) {
    const std::string& name = entry.name();
    for (char c : name) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << name;
    EXPECT_EQ(std::count(name.begin(), name.end(), '/'), 1) << name;
    EXPECT_TRUE(name.starts_with("scenery/") || name.starts_with("texture/")) << name;
    EXPECT_EQ(name.find('\\'), std::string::npos) << name;
    EXPECT_EQ(name.find(':'), std::string::npos) << name;
    EXPECT_EQ(name.find(".."), std::string::npos) << name;
    EXPECT_TRUE(withoutCase.insert(lower(name)).second) << "differs only in case: " << name;
    withCapitals += lower(name) != name;
    withSpace += name.find(' ') != std::string::npos;
    shortest = std::min(shortest, name.size());
    longest = std::max(longest, name.size());
  }
  EXPECT_EQ(withCapitals, 198u);
  EXPECT_EQ(withSpace, 1u);
  EXPECT_EQ(shortest, 8u);
  EXPECT_EQ(longest, 33u);
}

TEST(PayloadEntries, NoneIsAnObsoleteFile) {
  std::set<std::string> obsolete;
  for (std::string_view name : kObsoleteFiles) obsolete.insert(lower(std::string(name)));
  ASSERT_EQ(obsolete.size(), 42u);
  for (const ZipCentralEntry* file : files()) {
    const std::string bare = lower(bareName(file->name()));
    EXPECT_EQ(obsolete.count(bare), 0u) << file->name();
    EXPECT_FALSE(bare.starts_with("trvk_")) << file->name();
  }
}

TEST(PayloadEntries, CarriesTheMarkerOfVersion21Once) {
  std::vector<uint32_t> markerSizes;
  for (const ZipCentralEntry* file : files())
    if (lower(file->name()) == "scenery/qiro.bgl") markerSizes.push_back(file->fields.uncompressedSize);
  EXPECT_EQ(markerSizes, std::vector<uint32_t>{1040543});
}

TEST(PayloadEntries, FileTypesByExtension) {
  std::map<std::string, size_t> scenery, texture;
  for (const ZipCentralEntry* file : files())
    ++(isTexture(*file) ? texture : scenery)[extensionOf(file->name())];
  EXPECT_EQ(scenery, (std::map<std::string, size_t>{{".bgl", 237}}));
  const std::map<std::string, size_t> expected{
      {".bmp", 176}, {".0af", 11}, {".1af", 11}, {".2af", 10}, {".3af", 12},
      {".4af", 10},  {".5af", 10}, {".6af", 10}, {".7af", 10}, {".8af", 5},
      {".9af", 5},   {".aaf", 1},  {".baf", 1},  {".pat", 1},  {".r8", 1}};
  EXPECT_EQ(texture, expected);
}

TEST(PayloadEntries, SizesTotalsAndCompression) {
  uint64_t scenery = 0, texture = 0, sceneryStored = 0, textureStored = 0;
  uint32_t smallest = UINT32_MAX, largest = 0;
  for (const ZipCentralEntry* file : files()) {
    const uint32_t size = file->fields.uncompressedSize;
    (isTexture(*file) ? texture : scenery) += size;
    (isTexture(*file) ? textureStored : sceneryStored) += file->fields.compressedSize;
    smallest = std::min(smallest, size);
    largest = std::max(largest, size);
  }
  EXPECT_EQ(smallest, 148u);
  EXPECT_EQ(largest, 1526557u);
  EXPECT_EQ(scenery, 47024475u);
  EXPECT_EQ(texture, 56275210u);
  // The add-on's archive: 21.8 per cent in all, scenery 25.0 and texture 19.1.
  const double share = static_cast<double>(sceneryStored + textureStored) / (scenery + texture);
  EXPECT_GT(share, 0.210);
  EXPECT_LT(share, 0.226);
  EXPECT_GT(static_cast<double>(sceneryStored) / scenery, 0.235);
  EXPECT_LT(static_cast<double>(sceneryStored) / scenery, 0.265);
  EXPECT_GT(static_cast<double>(textureStored) / texture, 0.175);
  EXPECT_LT(static_cast<double>(textureStored) / texture, 0.205);
}

TEST(PayloadEntries, MethodsVersionsAndAttributes) {
  for (const ZipCentralEntry& entry : entries()) {
    EXPECT_EQ(entry.versionMadeBy, 20) << entry.name();  // 2.0 on host 0, MS-DOS
    if (entry.isFolder()) {
      EXPECT_EQ(entry.fields.method, kMethodStored) << entry.name();
      EXPECT_EQ(entry.fields.versionNeeded, 10) << entry.name();
      EXPECT_EQ(entry.externalAttributes, 0x41FF0010u) << entry.name();
      EXPECT_EQ(entry.fields.compressedSize, 0u) << entry.name();
      EXPECT_EQ(entry.fields.uncompressedSize, 0u) << entry.name();
      EXPECT_EQ(entry.fields.crc32, 0u) << entry.name();
    } else {
      EXPECT_EQ(entry.fields.method, kMethodDeflated) << entry.name();
      EXPECT_EQ(entry.fields.versionNeeded, 20) << entry.name();
      EXPECT_EQ(entry.externalAttributes, 0x81B60020u) << entry.name();
    }
  }
}

TEST(PayloadEntries, TimesSpanTheRangeWithTheFoldersLatest) {
  DosDateTime earliest = kLatest, latest = kEarliest;
  for (const ZipCentralEntry& entry : entries()) {
    const DosDateTime when = modified(entry);
    ASSERT_TRUE(isValid(when)) << entry.name();
    EXPECT_EQ(when.dosDate(), entry.fields.date);
    EXPECT_EQ(when.dosTime(), entry.fields.time);
    earliest = std::min(earliest, when);
    latest = std::max(latest, when);
    if (entry.isFolder()) {
      EXPECT_EQ(when, kLatest) << entry.name() << " " << when.text();
    }
  }
  EXPECT_EQ(earliest, kEarliest) << earliest.text();
  EXPECT_EQ(latest, kLatest) << latest.text();
}

TEST(PayloadEntries, TextMarksOnTexturesOnly) {
  size_t marked = 0;
  for (const ZipCentralEntry& entry : entries()) {
    EXPECT_EQ(entry.internalAttributes & ~kInternalAttributeText, 0) << entry.name();
    if (entry.internalAttributes & kInternalAttributeText) {
      ++marked;
      EXPECT_TRUE(isTexture(entry) && !entry.isFolder()) << entry.name();
    }
  }
  EXPECT_EQ(marked, 141u);
}

TEST(PayloadData, TextMarkedEntriesHoldBinaryData) {
  size_t checked = 0;
  for (const ZipCentralEntry& entry : entries()) {
    if (!(entry.internalAttributes & kInternalAttributeText)) continue;
    EXPECT_TRUE(holdsNonTextBytes(payloadArchive().extract(entry))) << entry.name();
    ++checked;
  }
  EXPECT_EQ(checked, 141u);
}

TEST(PayloadData, EveryEntryMatchesItsCrcAndItsFileInTheOutputFolder) {
  uint32_t largestStored = 0;
  for (const ZipCentralEntry& entry : entries()) {
    const fs::path path = kOutput / "payload" / entry.name();
    if (entry.isFolder()) {
      EXPECT_TRUE(fs::is_directory(path)) << path;
      continue;
    }
    const std::string data = payloadArchive().extract(entry);  // checks the CRC-32
    EXPECT_EQ(data, readFile(path)) << entry.name();
    largestStored = std::max(largestStored, entry.fields.compressedSize);
  }
  size_t looseFiles = 0;
  for (const auto& item : fs::recursive_directory_iterator(kOutput / "payload"))
    looseFiles += item.is_regular_file();
  EXPECT_EQ(looseFiles, 511u);
  EXPECT_LT(largestStored, 1526557u / 2);
}

std::string quoted(const fs::path& path) { return "\"" + path.string() + "\""; }

TEST(PayloadGenerator, WritesTheSameBytesEveryRun) {
  TempFolder folder;
  const fs::path stale = folder.write("payload/texture/stale.bmp", "from an earlier payload");
  const std::string command = quoted(TARVIK_MAKE_PAYLOAD) + " " + quoted(folder.path()) + " > " +
                              quoted(folder.path() / "log");
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_FALSE(fs::exists(stale));
  const std::string again = readFile(folder.path() / "payload.zip");
  EXPECT_TRUE(again == readFile(kOutput / "payload.zip")) << "the archive differs between runs";
  EXPECT_FALSE(fs::exists(folder.path() / "payload.zip.part"));
  EXPECT_NE(readFile(folder.path() / "log").find("513 entries"), std::string::npos);
}

TEST(PayloadGenerator, NeedsExactlyTheOutputFolder) {
  const std::string command = quoted(TARVIK_MAKE_PAYLOAD) + " 2> /dev/null";
  EXPECT_NE(std::system(command.c_str()), 0);
  TempFolder folder;
  const fs::path blocked = folder.write("file", "not a folder");
  const std::string intoFile =
      quoted(TARVIK_MAKE_PAYLOAD) + " " + quoted(blocked) + " 2> /dev/null";
  EXPECT_NE(std::system(intoFile.c_str()), 0);
}

}  // namespace
}  // namespace tarvik::package
