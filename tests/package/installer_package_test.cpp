// The package step: the program followed by the archive, unchanged, and the check that finds the
// archive again by the shift of its central directory.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "package/installer_package.h"
#include "package/pe_image.h"
#include "package/zip_layout.h"
#include "package/zip_reader.h"
#include "package/zip_writer.h"
#include "tests/package/resource_builders.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace tarvik::package {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using tarvik::testing::readFile;
using tarvik::testing::TempFolder;

const DosDateTime kWhen{2002, 1, 26, 9, 49, 14};

ZipEntryAttributes attributes(std::string name) {
  const bool folder = name.ends_with("/");
  return {std::move(name), kWhen, 20, static_cast<uint16_t>(folder ? 10 : 20), 0,
          folder ? 0x41FF0010u : 0x81B60020u};
}

std::string bitmapBytes() {
  std::string bytes;
  for (int i = 0; i < 5000; ++i) bytes.push_back(static_cast<char>(i * 7 % 251));
  return bytes;
}

// texture/Water.bmp, texture/, scenery/qiro.bgl, scenery/ - or other names.
std::string payloadArchive(const std::vector<std::string>& fileNames = {"texture/Water.bmp",
                                                                        "scenery/qiro.bgl"}) {
  std::ostringstream out;
  ZipWriter writer(out);
  for (const std::string& name : fileNames) writer.addDeflated(attributes(name), bitmapBytes());
  writer.addStored(attributes("texture/"), {});
  writer.addStored(attributes("scenery/"), {});
  writer.finish();
  return out.str();
}

class InstallerPackage : public ::testing::Test {
 protected:
  InstallerPackage()
      : program_(folder_.write("bin/tarvik_installer.exe",
                               testing::buildProgram(testing::installerResources()))),
        archive_(folder_.write("payload.zip", payloadArchive())),
        package_(folder_.path() / "dist" / "tarvik_installer.exe") {
    fs::create_directories(package_.parent_path());
  }

  PackageReport check(const PackageCheckOptions& options = {}) {
    return checkPackage(package_, program_, options);
  }

  // Writes the package by hand, to check packages that the package step would not make.
  void writePackage(const std::string& bytes) { folder_.write("dist/tarvik_installer.exe", bytes); }

  TempFolder folder_;
  fs::path program_;
  fs::path archive_;
  fs::path package_;
};

TEST_F(InstallerPackage, IsTheProgramFollowedByTheArchiveUnchanged) {
  const PackageLayout layout = buildPackage(program_, archive_, package_);
  const std::string program = readFile(program_);
  const std::string archive = readFile(archive_);
  EXPECT_EQ(layout.programLength, program.size());
  EXPECT_EQ(layout.archiveLength, archive.size());
  EXPECT_EQ(readFile(package_), program + archive);
  EXPECT_FALSE(fs::exists(package_.string() + ".part"));

  ZipReader reader(package_);
  EXPECT_EQ(reader.shift(), program.size());
  EXPECT_EQ(reader.centralDirectoryPosition(),
            reader.endRecord().centralDirectoryOffset + program.size());
  EXPECT_EQ(reader.entries().front().localHeaderOffset, 0u);
  EXPECT_EQ(reader.extract(reader.entries().front()), bitmapBytes());
}

TEST_F(InstallerPackage, TheCheckFindsTheArchiveByItsShiftAndListsItsEntries) {
  buildPackage(program_, archive_, package_);
  PackageCheckOptions options;
  options.archive = archive_;
  const PackageReport report = check(options);
  EXPECT_THAT(report.problems, ElementsAre());
  EXPECT_TRUE(report.sound());
  const uint64_t programLength = fs::file_size(program_);
  EXPECT_EQ(report.programLength, programLength);
  EXPECT_EQ(report.shift, programLength);
  EXPECT_EQ(report.packageLength, programLength + fs::file_size(archive_));
  EXPECT_EQ(report.endRecordPosition, report.packageLength - kEndRecordSize);
  EXPECT_EQ(report.centralDirectoryPosition,
            report.storedCentralDirectoryOffset + programLength);
  ASSERT_EQ(report.entries.size(), 4u);
  EXPECT_EQ(report.entries[0].name, "texture/Water.bmp");
  EXPECT_EQ(report.entries[0].size, bitmapBytes().size());
  EXPECT_EQ(report.entries[0].crc32, crc32Of(bitmapBytes()));
  EXPECT_EQ(report.entries[3].name, "scenery/");
}

TEST_F(InstallerPackage, ReplacesAnEarlierPackageWhole) {
  writePackage(std::string(50000, 'x'));
  buildPackage(program_, archive_, package_);
  EXPECT_EQ(fs::file_size(package_), fs::file_size(program_) + fs::file_size(archive_));
}

TEST_F(InstallerPackage, RefusesAProgramThatIsNoneAndAnArchiveThatIsNotStandAlone) {
  const fs::path text = folder_.write("notes.txt", "MZ is not enough");
  EXPECT_THROW(buildPackage(text, archive_, package_), PackageError);
  EXPECT_THROW(buildPackage(program_, text, package_), PackageError);
  // An archive that already sits behind other bytes would be shifted twice.
  const fs::path prefixed = folder_.write("prefixed.zip", "stub" + payloadArchive());
  EXPECT_THROW(buildPackage(program_, prefixed, package_), PackageError);
  EXPECT_THROW(buildPackage(folder_.path() / "missing.exe", archive_, package_), PackageError);
  EXPECT_FALSE(fs::exists(package_));
  EXPECT_FALSE(fs::exists(package_.string() + ".part"));
}

TEST_F(InstallerPackage, APatchedProgramPartIsFound) {
  std::string bytes = readFile(program_) + readFile(archive_);
  bytes[testing::kChecksumPosition] ^= 0x01;
  writePackage(bytes);
  EXPECT_THAT(check().problems,
              ElementsAre(HasSubstr("does not start with the program's bytes: they differ from "
                                    "position 152"),
                          HasSubstr("header checksum")));
}

TEST_F(InstallerPackage, AProgramWhoseChecksumDoesNotCoverItIsFound) {
  std::string program = readFile(program_);
  program[testing::kChecksumPosition] ^= 0x10;
  folder_.write("bin/tarvik_installer.exe", program);
  buildPackage(program_, archive_, package_);
  EXPECT_THAT(check().problems,
              ElementsAre(HasSubstr("is not the one computed over the program")));
  program.replace(testing::kChecksumPosition, 4, 4, '\0');  // no checksum at all is fine
  folder_.write("bin/tarvik_installer.exe", program);
  buildPackage(program_, archive_, package_);
  EXPECT_THAT(check().problems, ElementsAre());
  EXPECT_EQ(check().programChecksum, 0u);
}

TEST_F(InstallerPackage, AnArchiveWhoseOffsetsWereMovedToTheFileStartIsFound) {
  const std::string program = readFile(program_);
  std::string archive = readFile(archive_);
  const auto shiftField = [&](size_t at) {
    std::string moved;
    putU32(moved, getU32(archive, at) + static_cast<uint32_t>(program.size()));
    archive.replace(at, 4, moved);
  };
  // Move the end record's directory offset and every entry's local header offset.
  const size_t end = archive.size() - kEndRecordSize;
  const uint32_t directory = getU32(archive, end + 16);
  shiftField(end + 16);
  for (size_t at = directory; at < end;) {
    shiftField(at + 42);
    at += kCentralHeaderSize + getU16(archive, at + 28);
  }
  writePackage(program + archive);
  const PackageReport report = check();
  EXPECT_EQ(report.shift, 0u);
  EXPECT_THAT(report.problems,
              ElementsAre(HasSubstr("shifted by 0 bytes, but the program is " +
                                    std::to_string(program.size()) + " bytes long")));
}

TEST_F(InstallerPackage, BytesBetweenTheProgramAndTheArchiveAreFound) {
  writePackage(readFile(program_) + "padding" + readFile(archive_));
  const uint64_t programLength = fs::file_size(program_);
  EXPECT_THAT(check().problems,
              ElementsAre(HasSubstr("shifted by " + std::to_string(programLength + 7)),
                          HasSubstr("first local header lies at " +
                                    std::to_string(programLength + 7) +
                                    ", not right behind the program at " +
                                    std::to_string(programLength))));
}

TEST_F(InstallerPackage, AnotherProgramInFrontIsFound) {
  const fs::path other = folder_.write("other.exe", testing::buildProgram({}));
  writePackage(readFile(other) + readFile(archive_));
  const PackageReport report = check();
  EXPECT_FALSE(report.sound());
  EXPECT_THAT(report.problems, ::testing::Contains(HasSubstr("does not start with the program")));
}

TEST_F(InstallerPackage, DamagedEntryDataIsFound) {
  buildPackage(program_, archive_, package_);
  std::string bytes = readFile(package_);
  const ZipReader reader(package_);
  bytes[reader.entries()[0].local.dataPosition + 100] ^= 0x55;
  writePackage(bytes);
  EXPECT_THAT(check().problems, ElementsAre(HasSubstr("texture/Water.bmp")));

  PackageCheckOptions options;
  options.extractEntries = false;  // the headers alone are sound
  EXPECT_THAT(check(options).problems, ElementsAre());
  options.archive = archive_;  // but not the same bytes as the archive
  EXPECT_THAT(check(options).problems, ElementsAre(HasSubstr("differ from the archive")));
}

TEST_F(InstallerPackage, ACutOffPackageHasNoArchive) {
  buildPackage(program_, archive_, package_);
  const std::string bytes = readFile(package_);
  writePackage(bytes.substr(0, bytes.size() - 10));
  EXPECT_THAT(check().problems, ElementsAre(HasSubstr("no archive found in the package")));
  writePackage(bytes.substr(0, 100));
  EXPECT_THAT(check().problems, ::testing::Contains(HasSubstr("does not start with")));
}

TEST_F(InstallerPackage, EntriesOutsideThePayloadFoldersOrClashingInCaseAreFound) {
  const fs::path odd = folder_.write(
      "odd.zip", payloadArchive({"readme.txt", "scenery/a\\b.bgl", "scenery/Qiro.bgl",
                                 "scenery/qiro.BGL", "texture/x/y.bmp"}));
  buildPackage(program_, odd, package_);
  EXPECT_THAT(check().problems,
              ElementsAre(HasSubstr("readme.txt: a name outside"),
                          HasSubstr("scenery/a\\b.bgl: a name with the character \\"),
                          HasSubstr("scenery/qiro.BGL: a second entry of this name"),
                          HasSubstr("texture/x/y.bmp: a name with the character /")));
}

TEST_F(InstallerPackage, EncryptedEntriesAndHeadersThatDisagreeAreFound) {
  buildPackage(program_, archive_, package_);
  std::string bytes = readFile(package_);
  const ZipReader reader(package_);
  const ZipCentralEntry& first = reader.entries()[0];
  bytes[first.position + 8] |= 0x01;        // encrypted, in the central directory only
  writePackage(bytes);
  EXPECT_THAT(check().problems,
              ElementsAre(HasSubstr("texture/Water.bmp: encrypted"),
                          HasSubstr("local header differs from the central directory"),
                          HasSubstr("an encrypted entry texture/Water.bmp")));
}

TEST_F(InstallerPackage, TheProgramsResourcesAreChecked) {
  std::vector<PeResource> resources = testing::installerResources();
  resources.pop_back();
  const std::string program = testing::buildProgram(resources);
  folder_.write("bin/tarvik_installer.exe", program);
  buildPackage(program_, archive_, package_);
  EXPECT_THAT(check().problems, ElementsAre("resources: missing the manifest (type #24 name #1)"));
  PackageCheckOptions options;
  options.checkResources = false;
  EXPECT_THAT(check(options).problems, ElementsAre());
}

// Windows maps its KnownDLLs from the system folder whatever lies beside the program; any other
// DLL that the program or its library imports, a file put beside them could stand in for.
TEST_F(InstallerPackage, ImportsOfDllsThatAFileBesideTheProgramCouldStandInForAreFound) {
  folder_.write("bin/tarvik_installer.exe",
                testing::buildProgram(testing::installerResources(), false,
                                      {"KERNEL32.dll", "COMCTL32.dll", "RstrtMgr.DLL"}));
  buildPackage(program_, archive_, package_);
  PackageCheckOptions options;
  options.library = folder_.write(
      "dist/tarvik_unzip.dll", testing::buildProgram({}, false, {"msvcrt.dll", "comctl32.dll"},
                                                     {"UzpVersion2", "Wiz_SingleEntryUnzip"}));
  EXPECT_THAT(check(options).problems,
              ElementsAre(StartsWith("the program: it imports RstrtMgr.DLL, which Windows looks "
                                     "for in the program's own folder first"),
                          StartsWith("the unzip library: it imports comctl32.dll")));

  folder_.write("dist/tarvik_unzip.dll", "not a program");
  EXPECT_THAT(check(options).problems,
              Contains(StartsWith("the unzip library is not a Windows library")));
}

// One program for every Windows the simulators run on: both files 32-bit, and the library's
// entry points exported under the plain names that the program looks up.
TEST_F(InstallerPackage, A64BitFileOrALibraryWithDecoratedExportsIsFound) {
  folder_.write("bin/tarvik_installer.exe", testing::buildProgram(testing::installerResources()));
  buildPackage(program_, archive_, package_);
  PackageCheckOptions options;
  options.library = folder_.write(
      "dist/tarvik_unzip.dll",
      testing::buildProgram({}, false, {}, {"UzpVersion2", "Wiz_SingleEntryUnzip"}));
  EXPECT_THAT(check(options).problems, ElementsAre());

  folder_.write("dist/tarvik_unzip.dll",
                testing::buildProgram({}, true, {}, {"UzpVersion2@4", "_Wiz_SingleEntryUnzip@24"}));
  EXPECT_THAT(check(options).problems,
              ElementsAre(StartsWith("the unzip library: it is not a 32-bit Windows file"),
                          "the unzip library: it does not export Wiz_SingleEntryUnzip, only "
                          "_Wiz_SingleEntryUnzip@24 (a decorated name)",
                          "the unzip library: it does not export UzpVersion2, only UzpVersion2@4 "
                          "(a decorated name)"));

  folder_.write("bin/tarvik_installer.exe",
                testing::buildProgram(testing::installerResources(), true));
  buildPackage(program_, archive_, package_);
  EXPECT_THAT(check().problems,
              ElementsAre(StartsWith("the program: it is not a 32-bit Windows file")));
}

// What signing does to a package: pads it to a multiple of 8 bytes, appends the signature,
// enters it in the certificate table's entry and sets the checksum over the whole file.
std::string signedLikeAuthenticode(std::string bytes, const std::string& signature) {
  bytes.append((8 - bytes.size() % 8) % 8, '\0');
  const size_t entry = PeImage(bytes).dataDirectoryPosition(pe_directory::kCertificates);
  std::string fields;
  putU32(fields, static_cast<uint32_t>(bytes.size()));
  putU32(fields, static_cast<uint32_t>(signature.size()));
  bytes.replace(entry, 8, fields);
  bytes += signature;
  std::string checksum;
  putU32(checksum, PeImage(bytes).computedChecksum());
  return bytes.replace(testing::kChecksumPosition, 4, checksum);
}

TEST_F(InstallerPackage, ASignedPackageIsFoundWithItsSignatureBehindTheArchive) {
  // An archive comment that leaves the package a few bytes short of a multiple of 8.
  std::string archive = readFile(archive_);
  const size_t comment = (readFile(program_).size() + archive.size() + 3) % 8 == 0 ? 4 : 3;
  archive[archive.size() - 2] = static_cast<char>(comment);
  archive.append(comment, 'c');
  folder_.write("payload.zip", archive);
  const std::string unsignedBytes = readFile(program_) + archive;
  const std::string signature(96, '\x30');
  writePackage(signedLikeAuthenticode(unsignedBytes, signature));
  const PackageReport report = check({archive_});
  EXPECT_THAT(report.problems, ElementsAre());
  EXPECT_TRUE(report.isSigned());
  EXPECT_EQ(report.archiveEnd, unsignedBytes.size());
  EXPECT_EQ(report.signaturePosition, (unsignedBytes.size() + 7) / 8 * 8);
  EXPECT_EQ(report.signatureLength, signature.size());
  EXPECT_EQ(report.entries.size(), 4u);

  // Only the signing's own changes are allowed.
  std::string bytes = signedLikeAuthenticode(unsignedBytes, signature);
  bytes[unsignedBytes.size()] = 'x';  // in the padding
  bytes[testing::kChecksumPosition + 8] ^= 1;  // in the program's header
  writePackage(bytes);
  EXPECT_THAT(check().problems,
              ElementsAre(HasSubstr("differ from position 160"), HasSubstr("over the signed file"),
                          HasSubstr("padding in front of the signature is not zero")));
}

TEST_F(InstallerPackage, BytesBehindTheArchiveOfAnUnsignedPackageAreFound) {
  writePackage(readFile(program_) + readFile(archive_) + std::string(40, '\x30'));
  EXPECT_THAT(check({archive_}).problems,
              ElementsAre(HasSubstr("40 bytes follow the archive in an unsigned package")));
}

}  // namespace
}  // namespace tarvik::package
