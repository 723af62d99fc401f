// Packing a payload folder: its scenery and texture files under the archive's two folders, with
// the payload's header conventions, and nothing that Windows could not extract as it is.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "package/installer_package.h"
#include "package/payload_folder.h"
#include "package/zip_reader.h"
#include "tests/package/resource_builders.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace tarvik::package {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using tarvik::testing::readFile;
using tarvik::testing::TempFolder;

// Sets a file's last change to a local date and time.
void setLocalTime(const fs::path& file, int year, int month, int day, int hour, int minute,
                  int second) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
  fs::last_write_time(file, std::chrono::file_clock::from_sys(when));
}

std::vector<std::string> names(const PayloadFolderContents& contents) {
  std::vector<std::string> found;
  for (const PayloadFile& entry : contents.entries) found.push_back(entry.name);
  return found;
}

class PayloadFolder : public ::testing::Test {
 protected:
  PayloadFolder() {
    folder_.write("payload/scenery/qiro.bgl", std::string(1000, 'q'));
    folder_.write("payload/scenery/Tarv_Apron.bgl", "apron");
    folder_.write("payload/texture/water.bmp", std::string(3000, 'w'));
    folder_.write("payload/texture/Boat.r8", "boat");
    folder_.write("payload/texture/Ship Tulip.bmp", "tulip");
    setLocalTime(payload() / "scenery/qiro.bgl", 2001, 5, 14, 8, 30, 3);
    setLocalTime(payload() / "scenery/Tarv_Apron.bgl", 1999, 2, 23, 18, 20, 38);
    setLocalTime(payload() / "texture/water.bmp", 2002, 1, 26, 9, 49, 14);
    setLocalTime(payload() / "texture/Boat.r8", 2000, 7, 1, 12, 0, 0);
    setLocalTime(payload() / "texture/Ship Tulip.bmp", 2000, 7, 1, 12, 0, 1);
  }

  fs::path payload() const { return folder_.path() / "payload"; }

  TempFolder folder_;
};

TEST_F(PayloadFolder, ListsTexturesThenScenery_EachFolderEntryAfterItsFiles) {
  const PayloadFolderContents contents = collectPayloadFolder(payload());
  EXPECT_THAT(names(contents),
              ElementsAre("texture/Boat.r8", "texture/Ship Tulip.bmp", "texture/water.bmp",
                          "texture/", "scenery/Tarv_Apron.bgl", "scenery/qiro.bgl", "scenery/"));
  EXPECT_EQ(contents.entries[0].path, payload() / "texture" / "Boat.r8");
  EXPECT_TRUE(contents.entries[3].path.empty());
  EXPECT_TRUE(contents.skipped.empty());
}

TEST_F(PayloadFolder, TakesLocalTimesInTwoSecondStepsAndGivesFoldersTheLatest) {
  const PayloadFolderContents contents = collectPayloadFolder(payload());
  EXPECT_EQ(contents.entries[1].modified.text(), "2000-07-01 12:00:00");  // 12:00:01
  EXPECT_EQ(contents.entries[5].modified.text(), "2001-05-14 08:30:02");  // 08:30:03
  EXPECT_EQ(contents.entries[4].modified.text(), "1999-02-23 18:20:38");
  EXPECT_EQ(contents.entries[3].modified.text(), "2002-01-26 09:49:14");
  EXPECT_EQ(contents.entries[6].modified.text(), "2002-01-26 09:49:14");
}

TEST_F(PayloadFolder, TimesOutsideTheDosYearsAreMovedToTheNearestEnd) {
  setLocalTime(payload() / "texture/Boat.r8", 1975, 3, 1, 10, 0, 0);
  EXPECT_EQ(dosTimeOfFile(payload() / "texture/Boat.r8").text(), "1980-01-01 00:00:00");
#ifndef _WIN32  // the Windows C runtime's mktime stops at 3000 but fails here well before
  setLocalTime(payload() / "texture/Boat.r8", 2120, 3, 1, 10, 0, 0);
  EXPECT_EQ(dosTimeOfFile(payload() / "texture/Boat.r8").text(), "2107-12-31 23:59:58");
#endif
}

TEST_F(PayloadFolder, PacksWithThePayloadsHeaderConventionsAndReadsBackByteForByte) {
  const fs::path archive = folder_.path() / "payload.zip";
  const ZipArchiveTotals totals = packPayloadFolder(collectPayloadFolder(payload()), archive);
  EXPECT_FALSE(fs::exists(archive.string() + ".part"));
  ZipReader reader(archive);
  EXPECT_EQ(reader.shift(), 0u);
  EXPECT_EQ(totals.archiveBytes, fs::file_size(archive));
  EXPECT_EQ(totals.uncompressedBytes, 1000u + 5 + 3000 + 4 + 5);
  ASSERT_EQ(reader.entries().size(), 7u);
  for (const ZipCentralEntry& entry : reader.entries()) {
    SCOPED_TRACE(entry.name());
    EXPECT_EQ(entry.versionMadeBy, 20);
    EXPECT_EQ(entry.internalAttributes, 0);
    EXPECT_EQ(entry.fields.flags, 0);
    EXPECT_EQ(entry.extraLength, 0);
    if (entry.isFolder()) {
      EXPECT_EQ(entry.fields.versionNeeded, 10);
      EXPECT_EQ(entry.fields.method, kMethodStored);
      EXPECT_EQ(entry.fields.uncompressedSize, 0u);
      EXPECT_EQ(entry.fields.crc32, 0u);
      EXPECT_EQ(entry.externalAttributes, 0x41FF0010u);
    } else {
      EXPECT_EQ(entry.fields.versionNeeded, 20);
      EXPECT_EQ(entry.fields.method, kMethodDeflated);
      EXPECT_EQ(entry.externalAttributes, 0x81B60020u);
      EXPECT_EQ(reader.extract(entry), readFile(payload() / entry.name()));
    }
  }
  EXPECT_EQ(DosDateTime::fromDos(reader.entries()[2].fields.date, reader.entries()[2].fields.time)
                .text(),
            "2002-01-26 09:49:14");
}

TEST_F(PayloadFolder, APackedFolderMakesASoundPackage) {
  const fs::path archive = folder_.path() / "payload.zip";
  packPayloadFolder(collectPayloadFolder(payload()), archive);
  const fs::path program = folder_.write("tarvik_installer.exe",
                                         testing::buildProgram(testing::installerResources()));
  const fs::path package = folder_.path() / "dist.exe";
  buildPackage(program, archive, package);
  EXPECT_THAT(checkPackage(package, program).problems, ElementsAre());
}

TEST_F(PayloadFolder, LeavesOutOtherEntriesOfThePayloadFolderAndSaysWhich) {
  folder_.write("payload/readme.txt", "read me");
  folder_.makeFolder("payload/effects");
  const PayloadFolderContents contents = collectPayloadFolder(payload());
  EXPECT_EQ(contents.entries.size(), 7u);
  EXPECT_THAT(contents.skipped,
              ElementsAre(payload() / "effects", payload() / "readme.txt"));
}

TEST_F(PayloadFolder, NeedsBothSubFoldersAndAtLeastOneFile) {
  TempFolder empty;
  EXPECT_THROW(collectPayloadFolder(empty.path() / "missing"), PayloadFolderError);
  empty.makeFolder("scenery");
  try {
    collectPayloadFolder(empty.path());
    FAIL() << "a payload folder without texture was packed";
  } catch (const PayloadFolderError& error) {
    EXPECT_THAT(error.what(), HasSubstr("no \"texture\" sub-folder"));
  }
  empty.makeFolder("texture");
  EXPECT_THROW(collectPayloadFolder(empty.path()), PayloadFolderError);
}

TEST_F(PayloadFolder, RefusesWhatWindowsWouldNotExtractAsItIs) {
  const auto problemWith = [this](const std::string& relative, bool asFolder = false) {
    const fs::path made = asFolder ? folder_.makeFolder(relative) : folder_.write(relative, "x");
    std::string what;
    try {
      collectPayloadFolder(payload());
    } catch (const PayloadFolderError& error) {
      what = error.what();
    }
    fs::remove_all(made);
    return what;
  };
  EXPECT_THAT(problemWith("payload/scenery/extra", true), HasSubstr("a sub-folder inside"));
  EXPECT_THAT(problemWith("payload/scenery/caf\xC3\xA9.bgl"), HasSubstr("not plain printable"));
  EXPECT_THAT(problemWith("payload/scenery/ lead.bgl"), HasSubstr("starting with a blank"));
  EXPECT_EQ(problemWith("payload/scenery/inner space.bgl"), "");
#ifndef _WIN32  // names that only other systems' folders can hold
  EXPECT_THAT(problemWith("payload/texture/WATER.BMP"),
              HasSubstr("the names WATER.BMP and water.bmp in " + (payload() / "texture").string() +
                        " are one file on Windows"));
  EXPECT_THAT(problemWith("payload/scenery/a:b.bgl"), HasSubstr("the character :"));
  EXPECT_THAT(problemWith("payload/scenery/back\\slash.bgl"), HasSubstr("the character \\"));
  EXPECT_THAT(problemWith("payload/scenery/dot."), HasSubstr("ending with a blank or a dot"));
#endif
}

TEST(PayloadNames, PlainPrintableAsciiWithoutWindowsReservedCharacters) {
  EXPECT_EQ(payloadNameProblem("Tarv_Appr_Dunes.bgl"), "");
  EXPECT_EQ(payloadNameProblem("Ship Tulip.bmp"), "");
  EXPECT_EQ(payloadNameProblem("apron99.2af"), "");
  EXPECT_NE(payloadNameProblem(""), "");
  for (const char* bad : {"a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "a/b", "tab\there"})
    EXPECT_NE(payloadNameProblem(bad), "") << bad;
}

}  // namespace
}  // namespace tarvik::package
