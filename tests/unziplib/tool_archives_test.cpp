// Archives that other tools made: Python's zipfile and Debian's zip tool, plain, streamed (with
// data descriptors), with a comment, and behind other data as in the installer's file.

#include <algorithm>

#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

class ToolArchiveTest : public UnzipLibraryTest, public ::testing::WithParamInterface<const char*> {
 protected:
  fs::path zip() const { return testData(GetParam()); }
};

TEST_P(ToolArchiveTest, ExtractsEveryFileByteForByteWithItsFolders) {
  UnzipCall call = extraction(zip());
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();

  const fs::path source = testData("source");
  const auto expected = filesBelow(source);
  ASSERT_EQ(filesBelow(target()), expected);
  for (const std::string& file : expected)
    EXPECT_EQ(targetFile(file), readFile(source / file)) << file;
  EXPECT_EQ(foldersBelow(target()),
            (std::vector<std::string>{"docs", "scenery", "texture", "texture/sub"}));
  EXPECT_EQ(localWriteTime(target() / "scenery/alpha.bgl"), "2002-01-26 09:49:14");
  EXPECT_TRUE(call.printedLine("  inflating: scenery/alpha.bgl") ||
              call.printedLine(" extracting: scenery/alpha.bgl"));
  EXPECT_TRUE(call.printedLine("   creating: texture/sub/"));
  EXPECT_EQ(call.lastLine(), "7 files extracted");
}

TEST_P(ToolArchiveTest, TestsEveryFileAndWritesNothing) {
  UnzipCall call(zip(), target());
  call.dcl.ntflag = 1;
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_FALSE(fs::exists(target()));
  EXPECT_TRUE(call.printedLine("    testing: scenery/big.bgl   OK"));
  EXPECT_EQ(call.lastLine(), "No errors detected in 7 tested files");
}

TEST_P(ToolArchiveTest, ListsEveryMemberWithItsTotals) {
  UnzipCall call(zip(), "");
  call.dcl.nvflag = 1;
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(call.callbacks.NumMembers, call.listed.size());
  EXPECT_EQ(call.serviced.size(), call.listed.size());
  const auto big = std::find_if(call.listed.begin(), call.listed.end(),
                                [](const ListedMember& m) { return m.name == "scenery/big.bgl"; });
  ASSERT_NE(big, call.listed.end());
  EXPECT_EQ(big->uncompressedSize, fs::file_size(testData("source") / "scenery/big.bgl"));
  EXPECT_EQ(big->crc, crcOf(readFile(testData("source") / "scenery/big.bgl")));
  EXPECT_EQ(big->encryptionMark, static_cast<uint32_t>(' '));
  EXPECT_EQ(big->year, 2002u);
  uint64_t total = 0;
  for (const ListedMember& member : call.listed) total += member.uncompressedSize;
  EXPECT_EQ(call.callbacks.TotalSize, total);
  EXPECT_FALSE(fs::exists(target()));
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolArchiveTest,
                         ::testing::Values("python_deflated.zip", "python_stored.zip",
                                           "python_streamed.zip", "python_prefixed.exe",
                                           "zip_tool.zip", "zip_streamed.zip",
                                           "zip_tool_prefixed.exe", "zip_comment.zip"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '.', '_');
                           return name;
                         });

TEST_F(UnzipLibraryTest, ReadsAnArchiveBehindAProgramOnlyThroughTheShift) {
  // The same archive, alone and behind 102467 bytes: both list the same members.
  UnzipCall alone(testData("python_deflated.zip"), "");
  alone.dcl.nvflag = 1;
  UnzipCall behind(testData("python_prefixed.exe"), "");
  behind.dcl.nvflag = 1;
  ASSERT_EQ(alone.run(), TARVIK_UNZIP_OK);
  ASSERT_EQ(behind.run(), TARVIK_UNZIP_OK);
  ASSERT_EQ(alone.listed.size(), behind.listed.size());
  for (std::size_t i = 0; i < alone.listed.size(); ++i) {
    EXPECT_EQ(alone.listed[i].name, behind.listed[i].name);
    EXPECT_EQ(alone.listed[i].crc, behind.listed[i].crc);
  }
}

TEST_F(UnzipLibraryTest, ListsFolderMembersAfterTheirFilesInArchiveOrder) {
  UnzipCall call(testData("python_deflated.zip"), "");
  call.dcl.nvflag = 1;
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK);
  std::vector<std::string> names;
  for (const ListedMember& member : call.listed) names.push_back(member.name);
  EXPECT_EQ(names, (std::vector<std::string>{"scenery/alpha.bgl", "scenery/Noise.BGL",
                                             "scenery/big.bgl", "texture/with space.bmp",
                                             "texture/sub/deep.0af", "texture/empty.r8",
                                             "docs/readme.txt", "texture/", "scenery/"}));
  EXPECT_EQ(call.listed.back().method, "Stored");
  EXPECT_EQ(call.listed.front().method, "Deflate");
}

TEST_F(UnzipLibraryTest, PrintsTheCommentOfAnArchiveWhenAsked) {
  UnzipCall call(testData("zip_comment.zip"), "");
  call.dcl.nvflag = 1;
  call.dcl.nzflag = 1;
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK);
  // One line per print, as every text the library prints.
  EXPECT_TRUE(call.printedLine("Tarvik scenery update"));
  EXPECT_TRUE(call.printedLine("second comment line"));
  EXPECT_EQ(call.callbacks.cchComment, 42u);

  UnzipCall quiet(testData("zip_comment.zip"), "");
  quiet.dcl.nvflag = 1;
  ASSERT_EQ(quiet.run(), TARVIK_UNZIP_OK);
  EXPECT_FALSE(quiet.printedLineContaining("Tarvik scenery update"));
}

TEST_F(UnzipLibraryTest, RefusesAFileThatIsNoArchive) {
  UnzipCall call = extraction(testData("not_a_zip.txt"));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_NOT_ZIP);
  EXPECT_EQ(call.lastLine(), "error: the file is not a ZIP archive");
  EXPECT_FALSE(fs::exists(target()));
}

TEST_F(UnzipLibraryTest, ReportsAnArchiveThatCannotBeOpened) {
  UnzipCall call = extraction(temp.path() / "missing.zip");
  EXPECT_EQ(call.run(), TARVIK_UNZIP_NOT_FOUND);
  EXPECT_EQ(call.lastLine().rfind("error: cannot open the archive ", 0), 0u) << call.lastLine();
  EXPECT_FALSE(fs::exists(target()));
}

}  // namespace
}  // namespace tarvik::testing
