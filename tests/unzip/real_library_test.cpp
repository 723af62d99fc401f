// The component and its binding against the real unzip library, loaded from beside the test
// program, on archives written at build time by make_test_archives.py.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/dynamic_library.h"
#include "platform/program.h"
#include "platform/runtime_error.h"
#include "tests/support/temp_folder.h"
#include "tests/unzip/recording_listener.h"
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

const std::string kQuickFox = "The quick brown fox jumps over the lazy dog";

std::string utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string testArchive(const std::string& name) {
  return utf8(fs::path(executablePath()).parent_path() / "unzip_test_data" / name);
}

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

TEST_F(RealLibraryTest, ListsTheArchivesMembers) {
  component.ZipFile(testArchive("plain.zip"));
  EXPECT_EQ(component.Directory(), 0);
  ASSERT_EQ(component.FileCount(), 4);  // the folder member texture/ is not recorded

  EXPECT_EQ(component.Filename(1), "readme.txt");
  EXPECT_EQ(component.FileDirectory(1), "");
  EXPECT_EQ(component.FileSize(1), 43);
  EXPECT_EQ(component.FileCompressionRatio(1), 0);
  EXPECT_EQ(component.FileCRC(1), 0x414FA339);
  EXPECT_FALSE(component.FileEncrypted(1));
  EXPECT_DOUBLE_EQ(component.FileDate(1), OleDateTime(2002, 1, 26, 9, 49));
  EXPECT_THAT(component.FileCompressionMethod(1), Not(IsEmpty()));

  EXPECT_EQ(component.Filename(2), "a.bmp");
  EXPECT_EQ(component.FileDirectory(2), "texture");
  EXPECT_EQ(component.FileSize(2), 366);  // the compressed size
  EXPECT_EQ(component.FileCompressionRatio(2), 96);
  EXPECT_EQ(component.FileCRC(2), static_cast<int32_t>(0xBBCE3B9Du));
  EXPECT_NE(component.FileCompressionMethod(2), component.FileCompressionMethod(1));

  EXPECT_EQ(component.Filename(3), "qiro.bgl");
  EXPECT_EQ(component.FileDirectory(3), "scenery\\tarvik");
  EXPECT_EQ(component.Filename(4), "x.bgl");
  EXPECT_EQ(component.FileDirectory(4), "scenery");
  for (int32_t i = 1; i <= 4; ++i) EXPECT_TRUE(component.FileSelected(i));

  component.Directory();  // a second listing appends
  EXPECT_EQ(component.FileCount(), 8);
  EXPECT_EQ(component.Filename(8), "x.bgl");
}

TEST_F(RealLibraryTest, ExtractsTheWholeArchiveAndReportsProgress) {
  EXPECT_FALSE(unzipInto(testArchive("plain.zip")));
  EXPECT_THAT(filesBelow(target.path()),
              UnorderedElementsAre("readme.txt", "texture/a.bmp", "scenery/tarvik/qiro.bgl",
                                   "scenery/x.bgl"));
  EXPECT_EQ(readFile(target.path() / "readme.txt"), kQuickFox);
  EXPECT_EQ(readFile(target.path() / "scenery" / "x.bgl"), "x.bgl contents\r\n");
  EXPECT_EQ(readFile(target.path() / "texture" / "a.bmp").size(), 10240u);

  ASSERT_THAT(listener.progress, Not(IsEmpty()));
  EXPECT_THAT(listener.progress, Each(Field(&RecordingListener::ProgressEvent::lCount, 1)));
  EXPECT_THAT(listener.progress, Contains(Field(&RecordingListener::ProgressEvent::sMsg,
                                                HasSubstr("texture\\a.bmp"))));
  EXPECT_THAT(listener.progress,
              Each(Field(&RecordingListener::ProgressEvent::sMsg, Not(HasSubstr("/")))));
  // The service callback names each member before it is processed.
  EXPECT_THAT(listener.cancelNames, Contains(HasSubstr("a.bmp")));
}

TEST_F(RealLibraryTest, ExtractsWithoutFolderNames) {
  component.ZipFile(testArchive("plain.zip"));
  component.UnzipFolder(utf8(target.path()));
  EXPECT_FALSE(component.Unzip());
  EXPECT_THAT(filesBelow(target.path()),
              UnorderedElementsAre("readme.txt", "a.bmp", "qiro.bgl", "x.bgl"));
}

TEST_F(RealLibraryTest, ExtractsOnlyTheSelectedMembers) {
  component.ZipFile(testArchive("plain.zip"));
  component.Directory();
  ASSERT_EQ(component.FileCount(), 4);
  component.FileSelected(1, false);  // readme.txt
  component.FileSelected(2, false);  // texture/a.bmp
  component.UnzipFolder(utf8(target.path()));
  component.UseFolderNames(true);
  EXPECT_FALSE(component.Unzip());
  EXPECT_THAT(filesBelow(target.path()),
              UnorderedElementsAre("scenery/tarvik/qiro.bgl", "scenery/x.bgl"));
}

TEST_F(RealLibraryTest, ReadsTheArchiveBehindAProgram) {
  component.ZipFile(testArchive("self_extracting.exe"));
  component.Directory();
  EXPECT_EQ(component.FileCount(), 4);
  EXPECT_FALSE(unzipInto(testArchive("self_extracting.exe")));
  EXPECT_EQ(readFile(target.path() / "scenery" / "tarvik" / "qiro.bgl").size(), 1000u);
}

TEST_F(RealLibraryTest, AsksBeforeOverwritingAndKeepsTheFileByDefault) {
  ASSERT_FALSE(unzipInto(testArchive("plain.zip")));
  target.write("readme.txt", "changed");

  component.OverwriteExisting(false);
  component.PromptToOverwrite(true);
  unzipInto(testArchive("plain.zip"));
  EXPECT_EQ(readFile(target.path() / "readme.txt"), "changed");
  EXPECT_THAT(listener.overwritePrompts, Contains(HasSubstr("readme.txt")));
  EXPECT_THAT(listener.overwritePrompts, Each(Not(HasSubstr("/"))));
  EXPECT_THAT(listener.overwriteResponsesOnEntry, Each(100));

  listener.overwriteAnswer = 102;  // this file
  unzipInto(testArchive("plain.zip"));
  EXPECT_EQ(readFile(target.path() / "readme.txt"), kQuickFox);
}

TEST_F(RealLibraryTest, OverwritesWithoutAskingWhenTold) {
  ASSERT_FALSE(unzipInto(testArchive("plain.zip")));
  target.write("scenery/x.bgl", "changed");
  component.OverwriteExisting(true);
  EXPECT_FALSE(unzipInto(testArchive("plain.zip")));
  EXPECT_EQ(readFile(target.path() / "scenery" / "x.bgl"), "x.bgl contents\r\n");
  EXPECT_THAT(listener.overwritePrompts, IsEmpty());
}

TEST_F(RealLibraryTest, ListsEncryptedMembersAsEncrypted) {
  component.ZipFile(testArchive("encrypted.zip"));
  component.Directory();
  ASSERT_EQ(component.FileCount(), 2);
  EXPECT_EQ(component.Filename(1), "secret.txt");
  EXPECT_TRUE(component.FileEncrypted(1));
  EXPECT_FALSE(component.FileEncrypted(2));
}

TEST_F(RealLibraryTest, ExtractsAnEncryptedMemberWithThePasswordGiven) {
  listener.password = "  tarvik ";
  EXPECT_FALSE(unzipInto(testArchive("encrypted.zip")));
  EXPECT_EQ(readFile(target.path() / "secret.txt"), kQuickFox);
  EXPECT_EQ(readFile(target.path() / "open.txt"), "open");
  EXPECT_GE(listener.passwordRequests, 1);
}

TEST_F(RealLibraryTest, ARefusedPasswordSkipsTheEncryptedMember) {
  listener.password = " ";
  EXPECT_TRUE(unzipInto(testArchive("encrypted.zip")));
  EXPECT_THAT(filesBelow(target.path()), ElementsAre("open.txt"));
  EXPECT_EQ(listener.passwordRequests, 1);
}

TEST_F(RealLibraryTest, AWrongPasswordExtractsNothingFromTheMember) {
  listener.password = "wrong";
  EXPECT_TRUE(unzipInto(testArchive("encrypted.zip")));
  EXPECT_FALSE(fs::exists(target.path() / "secret.txt"));
  EXPECT_EQ(readFile(target.path() / "open.txt"), "open");
}

TEST_F(RealLibraryTest, CancellingAMemberStopsTheRun) {
  listener.cancelMember = true;
  EXPECT_TRUE(unzipInto(testArchive("plain.zip")));
  EXPECT_EQ(listener.cancelNames.size(), 1u);
  EXPECT_THAT(filesBelow(target.path()), IsEmpty());
}

TEST_F(RealLibraryTest, TestingWritesNothing) {
  component.TestZip(true);
  EXPECT_FALSE(unzipInto(testArchive("plain.zip")));
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

// A loader that looks for a library of another name, so that the system's loader fails.
class MissingLibraryLoader : public LibraryLoader {
 public:
  std::unique_ptr<DynamicLibrary> load(const std::string& baseName) override {
    return systemLibraryLoader()->load(baseName + "_not_installed");
  }
};

TEST_F(RealLibraryTest, AMissingLibraryRaisesAnErrorFromTheUnzipModule) {
  mUnzip::UseLibraryLoader(std::make_shared<MissingLibraryLoader>());
  component.ZipFile(testArchive("plain.zip"));
  component.UnzipFolder(utf8(target.path()));
  try {
    component.Unzip();
    FAIL() << "no error without the library";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 48);
    EXPECT_THAT(error.source(), ::testing::EndsWith(".Unzip"));
    EXPECT_EQ(error.source(), executableBaseName() + ".Unzip");
  }
  mUnzip::UseLibraryLoader(nullptr);
  EXPECT_FALSE(component.Unzip()) << "the next call loads the library";
}

}  // namespace
}  // namespace tarvik::testing
