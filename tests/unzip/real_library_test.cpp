// The component and its binding against the real unzip library, loaded from beside the test
// program, on the archives that tests/unziplib/make_test_archives.py makes at build time into
// unziplib_data: the files of unziplib_data/source archived by Python's zipfile and Debian's zip.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/dynamic_library.h"
#include "platform/program.h"
#include "platform/runtime_error.h"
#include "tests/support/temp_folder.h"
#include "tests/unzip/recording_listener.h"
#include "unzip/checked_library_loader.h"
#include "unzip/ole_date.h"
#include "unzip/unzip_binding.h"
#include "unzip/unzip_component.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Each;
using ::testing::Field;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

const std::string kReadme = "first line\nsecond line\n\nlast line\n";  // docs/readme.txt
const std::string kPassword = "Secret 42";

std::string utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path testData() { return fs::path(executablePath()).parent_path() / "unziplib_data"; }

std::string testArchive(const std::string& name) { return utf8(testData() / name); }

// The file as it went into every archive.
std::string sourceFile(const std::string& name) { return readFile(testData() / "source" / name); }

// The files below a folder, as relative paths with "/".
std::vector<std::string> filesBelow(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(folder).generic_string());
  return files;
}

class RealLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mUnzip::UseLibraryLoader(nullptr);
    component.bind(listener);
  }

  // Extracts the archive into the temporary folder, keeping folder names.
  bool unzipInto(const std::string& archive) {
    component.ZipFile(archive);
    component.UnzipFolder(utf8(target.path()));
    component.UseFolderNames(true);
    return component.Unzip();
  }

  TempFolder target;
  cUnzip component;
  RecordingListener listener;
};

// The members of python_deflated.zip in archive order; its folder members texture/ and scenery/
// come last and are not recorded.
const std::vector<std::string> kArchivedFiles = {
    "scenery/alpha.bgl",    "scenery/Noise.BGL", "scenery/big.bgl", "texture/with space.bmp",
    "texture/sub/deep.0af", "texture/empty.r8",  "docs/readme.txt"};

TEST_F(RealLibraryTest, ListsTheArchivesMembers) {
  component.ZipFile(testArchive("python_deflated.zip"));
  EXPECT_EQ(component.Directory(), 0);
  ASSERT_EQ(component.FileCount(), 7);

  EXPECT_EQ(component.Filename(7), "readme.txt");
  EXPECT_EQ(component.FileDirectory(7), "docs");
  EXPECT_EQ(component.FileSize(7), 25);  // the compressed size
  EXPECT_EQ(component.FileUnpackedSize(7), 34u);
  EXPECT_EQ(component.FileCompressionRatio(7), 26);  // 9 bytes saved of 34
  EXPECT_EQ(component.FileCRC(7), static_cast<int32_t>(0xECD3E6D1u));
  EXPECT_FALSE(component.FileEncrypted(7));
  EXPECT_DOUBLE_EQ(component.FileDate(7), OleDateTime(2002, 1, 26, 9, 49));
  EXPECT_THAT(component.FileCompressionMethod(7), Not(IsEmpty()));

  EXPECT_EQ(component.Filename(4), "with space.bmp");
  EXPECT_EQ(component.FileDirectory(4), "texture");
  EXPECT_EQ(component.FileSize(4), 366);
  EXPECT_EQ(component.FileCompressionRatio(4), 96);
  EXPECT_EQ(component.FileCRC(4), static_cast<int32_t>(0xBBCE3B9Du));
  EXPECT_EQ(component.FileCompressionMethod(4), component.FileCompressionMethod(7));

  EXPECT_EQ(component.Filename(5), "deep.0af");
  EXPECT_EQ(component.FileDirectory(5), "texture\\sub");
  EXPECT_EQ(component.Filename(2), "Noise.BGL");
  EXPECT_EQ(component.FileDirectory(2), "scenery");
  for (int32_t i = 1; i <= 7; ++i) EXPECT_TRUE(component.FileSelected(i));

  component.Directory();  // a second listing appends
  EXPECT_EQ(component.FileCount(), 14);
  EXPECT_EQ(component.Filename(14), "readme.txt");

  // The same files stored: a new archive name starts a new listing.
  const std::string deflated = component.FileCompressionMethod(7);
  component.ZipFile(testArchive("python_stored.zip"));
  component.Directory();
  ASSERT_EQ(component.FileCount(), 7);
  EXPECT_EQ(component.Filename(7), "readme.txt");
  EXPECT_EQ(component.FileSize(7), 34);
  EXPECT_EQ(component.FileCompressionRatio(7), 0);
  EXPECT_EQ(component.FileCRC(7), static_cast<int32_t>(0xECD3E6D1u));
  EXPECT_THAT(component.FileCompressionMethod(7), Not(IsEmpty()));
  EXPECT_NE(component.FileCompressionMethod(7), deflated);
}

TEST_F(RealLibraryTest, ExtractsTheWholeArchiveAndReportsProgress) {
  EXPECT_FALSE(unzipInto(testArchive("python_deflated.zip")));
  EXPECT_THAT(filesBelow(target.path()),
              UnorderedElementsAre("scenery/alpha.bgl", "scenery/Noise.BGL", "scenery/big.bgl",
                                   "texture/with space.bmp", "texture/sub/deep.0af",
                                   "texture/empty.r8", "docs/readme.txt"));
  EXPECT_EQ(readFile(target.path() / "docs" / "readme.txt"), kReadme);
  EXPECT_EQ(readFile(target.path() / "texture" / "with space.bmp").size(), 10240u);
  for (const std::string& file : kArchivedFiles)
    EXPECT_EQ(readFile(target.path() / file), sourceFile(file)) << file;

  ASSERT_THAT(listener.progress, Not(IsEmpty()));
  EXPECT_THAT(listener.progress, Each(Field(&RecordingListener::ProgressEvent::lCount, 1)));
  EXPECT_THAT(listener.progress, Contains(Field(&RecordingListener::ProgressEvent::sMsg,
                                                HasSubstr("texture\\with space.bmp"))));
  EXPECT_THAT(listener.progress, Contains(Field(&RecordingListener::ProgressEvent::sMsg,
                                                HasSubstr("texture\\sub\\deep.0af"))));
  EXPECT_THAT(listener.progress,
              Each(Field(&RecordingListener::ProgressEvent::sMsg, Not(HasSubstr("/")))));
  // The service callback names each member before it is processed.
  EXPECT_THAT(listener.cancelNames, Contains(HasSubstr("with space.bmp")));
}

TEST_F(RealLibraryTest, ExtractsWithoutFolderNames) {
  component.ZipFile(testArchive("python_deflated.zip"));
  component.UnzipFolder(utf8(target.path()));
  EXPECT_FALSE(component.Unzip());
  EXPECT_THAT(filesBelow(target.path()),
              UnorderedElementsAre("alpha.bgl", "Noise.BGL", "big.bgl", "with space.bmp",
                                   "deep.0af", "empty.r8", "readme.txt"));
}

TEST_F(RealLibraryTest, ExtractsOnlyTheSelectedMembers) {
  component.ZipFile(testArchive("python_deflated.zip"));
  component.Directory();
  ASSERT_EQ(component.FileCount(), 7);
  for (int32_t scenery = 1; scenery <= 3; ++scenery) component.FileSelected(scenery, false);
  component.FileSelected(7, false);  // docs/readme.txt
  component.UnzipFolder(utf8(target.path()));
  component.UseFolderNames(true);
  EXPECT_FALSE(component.Unzip());
  EXPECT_THAT(filesBelow(target.path()),
              UnorderedElementsAre("texture/with space.bmp", "texture/sub/deep.0af",
                                   "texture/empty.r8"));
}

TEST_F(RealLibraryTest, ReadsTheArchiveBehindAProgram) {
  component.ZipFile(testArchive("python_prefixed.exe"));
  component.Directory();
  EXPECT_EQ(component.FileCount(), 7);
  EXPECT_FALSE(unzipInto(testArchive("python_prefixed.exe")));
  EXPECT_EQ(readFile(target.path() / "texture" / "sub" / "deep.0af").size(), 3003u);
  EXPECT_EQ(readFile(target.path() / "scenery" / "alpha.bgl"), sourceFile("scenery/alpha.bgl"));
}

TEST_F(RealLibraryTest, AsksBeforeOverwritingAndKeepsTheFileByDefault) {
  ASSERT_FALSE(unzipInto(testArchive("python_deflated.zip")));
  target.write("docs/readme.txt", "changed");

  component.OverwriteExisting(false);
  component.PromptToOverwrite(true);
  unzipInto(testArchive("python_deflated.zip"));
  EXPECT_EQ(readFile(target.path() / "docs" / "readme.txt"), "changed");
  EXPECT_THAT(listener.overwritePrompts, Contains(HasSubstr("readme.txt")));
  EXPECT_THAT(listener.overwritePrompts, Each(Not(HasSubstr("/"))));
  EXPECT_THAT(listener.overwriteResponsesOnEntry, Each(100));

  listener.overwriteAnswer = 102;  // this file
  unzipInto(testArchive("python_deflated.zip"));
  EXPECT_EQ(readFile(target.path() / "docs" / "readme.txt"), kReadme);
}

TEST_F(RealLibraryTest, OverwritesWithoutAskingWhenTold) {
  ASSERT_FALSE(unzipInto(testArchive("python_deflated.zip")));
  target.write("texture/sub/deep.0af", "changed");
  component.OverwriteExisting(true);
  EXPECT_FALSE(unzipInto(testArchive("python_deflated.zip")));
  EXPECT_EQ(readFile(target.path() / "texture" / "sub" / "deep.0af"),
            sourceFile("texture/sub/deep.0af"));
  EXPECT_THAT(listener.overwritePrompts, IsEmpty());
}

// zip_partly_password.zip: docs/readme.txt encrypted with kPassword, then texture/with space.bmp
// open.
TEST_F(RealLibraryTest, ListsEncryptedMembersAsEncrypted) {
  component.ZipFile(testArchive("zip_partly_password.zip"));
  component.Directory();
  ASSERT_EQ(component.FileCount(), 2);
  EXPECT_EQ(component.Filename(1), "readme.txt");
  EXPECT_TRUE(component.FileEncrypted(1));
  EXPECT_EQ(component.Filename(2), "with space.bmp");
  EXPECT_FALSE(component.FileEncrypted(2));
}

TEST_F(RealLibraryTest, ExtractsAnEncryptedMemberWithThePasswordGiven) {
  listener.password = "  " + kPassword + " ";  // the ends are trimmed, the space inside kept
  EXPECT_FALSE(unzipInto(testArchive("zip_partly_password.zip")));
  EXPECT_EQ(readFile(target.path() / "docs" / "readme.txt"), kReadme);
  EXPECT_EQ(readFile(target.path() / "texture" / "with space.bmp"),
            sourceFile("texture/with space.bmp"));
  EXPECT_GE(listener.passwordRequests, 1);
}

TEST_F(RealLibraryTest, ARefusedPasswordSkipsTheEncryptedMember) {
  listener.password = " ";
  EXPECT_TRUE(unzipInto(testArchive("zip_partly_password.zip")));
  EXPECT_THAT(filesBelow(target.path()), ElementsAre("texture/with space.bmp"));
  EXPECT_EQ(listener.passwordRequests, 1);
}

TEST_F(RealLibraryTest, AWrongPasswordExtractsNothingFromTheMember) {
  listener.password = "wrong";
  EXPECT_TRUE(unzipInto(testArchive("zip_partly_password.zip")));
  EXPECT_FALSE(fs::exists(target.path() / "docs" / "readme.txt"));
  EXPECT_EQ(readFile(target.path() / "texture" / "with space.bmp"),
            sourceFile("texture/with space.bmp"));
}

TEST_F(RealLibraryTest, CancellingAMemberStopsTheRun) {
  listener.cancelMember = true;
  EXPECT_TRUE(unzipInto(testArchive("python_deflated.zip")));
  EXPECT_EQ(listener.cancelNames.size(), 1u);
  EXPECT_THAT(filesBelow(target.path()), IsEmpty());
}

TEST_F(RealLibraryTest, TestingWritesNothing) {
  component.TestZip(true);
  EXPECT_FALSE(unzipInto(testArchive("python_deflated.zip")));
  EXPECT_THAT(filesBelow(target.path()), IsEmpty());
}

TEST_F(RealLibraryTest, AMissingArchiveIsAFailedStatusNotAnError) {
  EXPECT_TRUE(unzipInto(utf8(target.path() / "no such archive.zip")));
  EXPECT_THAT(listener.progress, Not(IsEmpty()));
}

TEST_F(RealLibraryTest, ReportsTheLibrarysVersion) {
  int32_t major = -1;
  int32_t minor = -1;
  int32_t revision = -1;
  double date = 7.5;
  std::string extra;
  component.GetVersion(major, minor, revision, date, extra);
  EXPECT_GE(major, 0);
  EXPECT_LE(major, 255);
  EXPECT_GE(minor, 0);
  EXPECT_GE(revision, 0);
  EXPECT_GT(major + minor + revision, 0);
  EXPECT_EQ(extra.size(), 10u);
  EXPECT_EQ(date, 7.5);
}

// The library beside the test program, held to a digest that no file has.
TEST_F(RealLibraryTest, ALibraryOfAnotherDigestIsRefusedWithAnErrorFromTheUnzipModule) {
  mUnzip::UseLibraryLoader(
      std::make_shared<CheckedLibraryLoader>(systemLibraryFiles(), Sha256Digest{}));
  component.ZipFile(testArchive("python_deflated.zip"));
  component.UnzipFolder(utf8(target.path()));
  try {
    component.Unzip();
    FAIL() << "a library of another digest was loaded";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 48);
    EXPECT_EQ(error.description(),
              "The unzip library " + pathBesideProgram(libraryFileName("tarvik_unzip")) +
                  " is not the one this installer was built with: download both files of the "
                  "update again.");
    EXPECT_EQ(error.source(), executableBaseName() + ".Unzip");
  }
  EXPECT_TRUE(filesBelow(target.path()).empty());
  mUnzip::UseLibraryLoader(nullptr);
  EXPECT_FALSE(component.Unzip()) << "the next call loads the library";
}

}  // namespace
}  // namespace tarvik::testing
