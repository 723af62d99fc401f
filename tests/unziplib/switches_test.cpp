// Every switch of the option record, the name lists and the callbacks that steer a call.

#include <fstream>

#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;
using std::chrono::hours;

// Three members dated 26 January 2002 09:49:14, in two folders, one with a blank in its name.
ZipBuilder sampleArchive() {
  ZipBuilder zip;
  zip.file("scenery/a.bgl", sampleText(40000)).file("scenery/b.bgl", "bbbb", 0);
  zip.file("texture/with space.bmp", sampleText(3000, 5)).folder("texture/").folder("scenery/");
  return zip;
}

void setAge(const fs::path& file, hours age) {
  fs::last_write_time(file, fs::file_time_type::clock::now() - age);
}

TEST_F(UnzipLibraryTest, ListOnlyReportsEachMemberThroughTheListingCallback) {
  UnzipCall call(archive(sampleArchive()), target());
  call.dcl.nvflag = 1;
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK);
  ASSERT_EQ(call.listed.size(), 5u);
  const ListedMember& a = call.listed[0];
  const std::string aData = sampleText(40000);
  EXPECT_EQ(a.uncompressedSize, 40000u);
  EXPECT_EQ(a.compressedSize, deflated(aData).size());
  EXPECT_EQ(a.ratio, 100 - (100 * a.compressedSize + 20000) / 40000);
  EXPECT_EQ(std::vector<uint32_t>({a.month, a.day, a.year, a.hour, a.minute, a.reserved}),
            std::vector<uint32_t>({1, 26, 2002, 9, 49, 0}));
  EXPECT_EQ(a.name, "scenery/a.bgl");
  EXPECT_EQ(a.method, "Deflate");
  EXPECT_EQ(a.crc, crcOf(aData));
  EXPECT_EQ(a.encryptionMark, static_cast<uint32_t>(' '));
  EXPECT_EQ(call.listed[1].method, "Stored");
  EXPECT_EQ(call.listed[1].ratio, 0u);
  EXPECT_EQ(call.listed[3].name, "texture/");
  EXPECT_EQ(call.listed[3].uncompressedSize, 0u);

  EXPECT_EQ(call.callbacks.NumMembers, 5u);
  EXPECT_EQ(call.callbacks.TotalSize, 40000u + 4 + 3000);
  EXPECT_EQ(call.callbacks.TotalSizeComp,
            a.compressedSize + 4 + call.listed[2].compressedSize);
  EXPECT_GT(call.callbacks.CompFactor, 50u);
  EXPECT_FALSE(fs::exists(target()));
}

TEST_F(UnzipLibraryTest, TestOnlyChecksTheDataAndWritesNothing) {
  ZipMember bad;
  bad.name = "bad.bgl";
  bad.data = "data";
  bad.crc = 99;
  ZipBuilder zip = sampleArchive();
  zip.add(bad);
  UnzipCall call(archive(zip), target());
  call.dcl.ntflag = 1;
  call.dcl.ndflag = 1;
  EXPECT_EQ(call.run(), TARVIK_UNZIP_CRC_ERROR);
  EXPECT_TRUE(call.printedLine("    testing: scenery/a.bgl   OK"));
  EXPECT_EQ(call.lastLine(), "error: CRC error in bad.bgl: the archive is damaged");
  EXPECT_FALSE(fs::exists(target()));
}

TEST_F(UnzipLibraryTest, WithoutFolderNamesOnlyTheFileNamesAreUsed) {
  UnzipCall call = extraction(archive(sampleArchive()));
  call.dcl.ndflag = 0;
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(filesBelow(target()),
            (std::vector<std::string>{"a.bgl", "b.bgl", "with space.bmp"}));
  EXPECT_EQ(foldersBelow(target()), std::vector<std::string>{});
  EXPECT_TRUE(call.printedLine("  inflating: a.bgl"));
  EXPECT_TRUE(call.printedLine(" extracting: b.bgl"));
}

TEST_F(UnzipLibraryTest, OverwritesExistingFilesOnlyWhenAllowed) {
  const fs::path zip = archive(sampleArchive());
  temp.write("target/scenery/a.bgl", "old a");

  UnzipCall keep = extraction(zip);
  keep.dcl.noflag = 0;
  EXPECT_EQ(keep.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(targetFile("scenery/a.bgl"), "old a");
  EXPECT_EQ(targetFile("scenery/b.bgl"), "bbbb");
  EXPECT_TRUE(keep.printedLine("   skipping: scenery/a.bgl (exists, overwriting is off)"));
  EXPECT_TRUE(keep.replaceQueries.empty());
  EXPECT_EQ(keep.lastLine(), "2 files extracted, 1 skipped");

  UnzipCall overwrite = extraction(zip);
  EXPECT_EQ(overwrite.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(targetFile("scenery/a.bgl"), sampleText(40000));
  EXPECT_TRUE(overwrite.replaceQueries.empty());
}

TEST_F(UnzipLibraryTest, PromptAsksTheReplaceCallbackAndFollowsItsAnswers) {
  const fs::path zip = archive(sampleArchive());
  for (const char* name : {"scenery/a.bgl", "scenery/b.bgl", "texture/with space.bmp"})
    temp.write(std::string("target/") + name, "old");

  UnzipCall no = extraction(zip);
  no.dcl.noflag = 0;
  no.dcl.PromptToOverwrite = 1;
  no.replaceAnswers = {TARVIK_REPLACE_NO, TARVIK_REPLACE_YES, TARVIK_REPLACE_NO};
  EXPECT_EQ(no.run(), TARVIK_UNZIP_OK);
  ASSERT_EQ(no.replaceQueries.size(), 3u);
  EXPECT_EQ(fs::path(no.replaceQueries[0]), target() / "scenery" / "a.bgl");
  EXPECT_EQ(targetFile("scenery/a.bgl"), "old");
  EXPECT_EQ(targetFile("scenery/b.bgl"), "bbbb");
  EXPECT_EQ(targetFile("texture/with space.bmp"), "old");

  temp.write("target/scenery/b.bgl", "old");
  UnzipCall all = extraction(zip);
  all.dcl.noflag = 0;
  all.dcl.PromptToOverwrite = 1;
  all.replaceAnswers = {TARVIK_REPLACE_ALL};
  EXPECT_EQ(all.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(all.replaceQueries.size(), 1u);
  EXPECT_EQ(targetFile("scenery/b.bgl"), "bbbb");
  EXPECT_EQ(targetFile("texture/with space.bmp"), sampleText(3000, 5));

  temp.write("target/scenery/a.bgl", "old");
  temp.write("target/scenery/b.bgl", "old");
  UnzipCall none = extraction(zip);
  none.dcl.noflag = 0;
  none.dcl.PromptToOverwrite = 1;
  none.replaceAnswers = {TARVIK_REPLACE_NONE};
  EXPECT_EQ(none.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(none.replaceQueries.size(), 1u);
  EXPECT_EQ(targetFile("scenery/b.bgl"), "old");

  UnzipCall nobody = extraction(zip);
  nobody.dcl.noflag = 0;
  nobody.dcl.PromptToOverwrite = 1;
  nobody.callbacks.replace = nullptr;
  EXPECT_EQ(nobody.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(targetFile("scenery/a.bgl"), "old");
}

TEST_F(UnzipLibraryTest, ExtractOnlyNewerReplacesOnlyOlderFiles) {
  const fs::path zip = archive(sampleArchive());
  setAge(temp.write("target/scenery/a.bgl", "newer than the member"), hours(1));
  setAge(temp.write("target/scenery/b.bgl", "older than the member"), hours(24 * 365 * 40));
  UnzipCall call = extraction(zip);
  call.dcl.noflag = 0;
  call.dcl.ExtractOnlyNewer = 1;
  EXPECT_EQ(call.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(targetFile("scenery/a.bgl"), "newer than the member");
  EXPECT_EQ(targetFile("scenery/b.bgl"), "bbbb");
  EXPECT_EQ(targetFile("texture/with space.bmp"), sampleText(3000, 5));
  EXPECT_TRUE(call.printedLine("   skipping: scenery/a.bgl (the file is not older)"));

  // The file just written carries the member's own time: a second run leaves it alone.
  UnzipCall again = extraction(zip);
  again.dcl.ExtractOnlyNewer = 1;
  EXPECT_EQ(again.run(), TARVIK_UNZIP_OK);
  EXPECT_TRUE(again.printedLine("   skipping: scenery/b.bgl (the file is not older)"));
}

TEST_F(UnzipLibraryTest, FreshenReplacesOlderFilesAndCreatesNone) {
  setAge(temp.write("target/scenery/b.bgl", "old"), hours(24 * 365 * 40));
  UnzipCall call = extraction(archive(sampleArchive()));
  call.dcl.noflag = 0;
  call.dcl.nfflag = 1;
  EXPECT_EQ(call.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(filesBelow(target()), std::vector<std::string>{"scenery/b.bgl"});
  EXPECT_EQ(targetFile("scenery/b.bgl"), "bbbb");
}

TEST_F(UnzipLibraryTest, SpaceToUnderscoreRenamesBlanks) {
  UnzipCall call = extraction(archive(sampleArchive()));
  call.dcl.SpaceToUnderscore = 1;
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK);
  EXPECT_TRUE(targetHas("texture/with_space.bmp"));
  EXPECT_FALSE(targetHas("texture/with space.bmp"));
}

TEST_F(UnzipLibraryTest, IncludeAndExcludeNamesTakeWildcards) {
  ZipBuilder zip = sampleArchive();
  zip.file("texture/x.bmp", "x").file("texture/xy.bmp", "xy");
  UnzipCall call = extraction(archive(zip));
  call.includes = {"scenery/*.bgl", "texture/?.bmp"};
  call.excludes = {"*b.bgl"};
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(filesBelow(target()), (std::vector<std::string>{"scenery/a.bgl", "texture/x.bmp"}));
  EXPECT_EQ(call.serviced, (std::vector<std::string>{"scenery/a.bgl", "texture/x.bmp"}));
}

TEST_F(UnzipLibraryTest, MatchesNamesRegardlessOfCaseUnlessAskedTo) {
  const fs::path zip = archive(sampleArchive());
  UnzipCall loose = extraction(zip);
  loose.includes = {"SCENERY\\A.BGL"};
  EXPECT_EQ(loose.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(filesBelow(target()), std::vector<std::string>{"scenery/a.bgl"});

  UnzipCall strict = extraction(zip);
  strict.dcl.C_flag = 1;
  strict.includes = {"SCENERY/A.BGL"};
  EXPECT_EQ(strict.run(), TARVIK_UNZIP_NO_MATCH);
  EXPECT_EQ(strict.lastLine(), "error: no member of the archive matches the names given");
}

TEST_F(UnzipLibraryTest, AnIncludeNameThatMatchesNothingFailsTheCallAfterTheOthers) {
  UnzipCall call = extraction(archive(sampleArchive()));
  call.includes = {"scenery/a.bgl", "scenery/missing.bgl"};
  EXPECT_EQ(call.run(), TARVIK_UNZIP_NO_MATCH);
  EXPECT_EQ(filesBelow(target()), std::vector<std::string>{"scenery/a.bgl"});
  EXPECT_EQ(call.lastLine(), "error: no member matches scenery/missing.bgl");
}

TEST_F(UnzipLibraryTest, TheServiceCallbackComesBeforeEachMemberAndCanStopTheRun) {
  temp.write("target/texture/with space.bmp", "old");
  UnzipCall call = extraction(archive(sampleArchive()));
  call.cancelBefore = "texture/with space.bmp";
  EXPECT_EQ(call.run(), TARVIK_UNZIP_CANCELLED);
  EXPECT_EQ(call.serviced,
            (std::vector<std::string>{"scenery/a.bgl", "scenery/b.bgl", "texture/with space.bmp"}));
  EXPECT_EQ(call.servicedLengths, (std::vector<uint32_t>{13, 13, 22}));
  EXPECT_EQ(filesBelow(target()),
            (std::vector<std::string>{"scenery/a.bgl", "scenery/b.bgl", "texture/with space.bmp"}));
  EXPECT_EQ(targetFile("texture/with space.bmp"), "old");
  EXPECT_EQ(call.lastLine(),
            "error: cancelled before texture/with space.bmp; it and the members after it were "
            "left out");

  UnzipCall listing(archive(sampleArchive()), "");
  listing.dcl.nvflag = 1;
  listing.cancelBefore = "scenery/b.bgl";
  EXPECT_EQ(listing.run(), TARVIK_UNZIP_CANCELLED);
  EXPECT_EQ(listing.listed.size(), 1u);
}

TEST_F(UnzipLibraryTest, TheMessageLevelLeavesOutMemberLinesThenAllButErrors) {
  ZipMember bad;
  bad.name = "bad.bgl";
  bad.data = "data";
  bad.crc = 5;
  const fs::path good = archive(sampleArchive(), "good.zip");
  const fs::path damaged = archive(ZipBuilder(sampleArchive()).add(bad), "damaged.zip");

  UnzipCall all = extraction(good);
  ASSERT_EQ(all.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(all.printed.front(), "Archive:  " + good.string());
  EXPECT_TRUE(all.printedLine("   creating: scenery/"));
  EXPECT_TRUE(all.printedLine("  inflating: scenery/a.bgl"));

  UnzipCall fewer = extraction(good);
  fewer.dcl.fQuiet = 1;
  ASSERT_EQ(fewer.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(fewer.printed, std::vector<std::string>{"3 files extracted"});

  UnzipCall none = extraction(good);
  none.dcl.fQuiet = 2;
  ASSERT_EQ(none.run(), TARVIK_UNZIP_OK);
  EXPECT_TRUE(none.printed.empty());

  UnzipCall errors = extraction(damaged);
  errors.dcl.fQuiet = 2;
  EXPECT_EQ(errors.run(), TARVIK_UNZIP_CRC_ERROR);
  EXPECT_EQ(errors.printed,
            std::vector<std::string>{"error: CRC error in bad.bgl: the archive is damaged"});
}

TEST_F(UnzipLibraryTest, EveryPrintedTextIsOneWholeLine) {
  UnzipCall call = extraction(archive(sampleArchive()));
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK);
  ASSERT_FALSE(call.printed.empty());
  for (const std::string& line : call.printed) {
    EXPECT_GE(line.size(), 2u);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
  }
}

TEST_F(UnzipLibraryTest, PrintSwitchHandsTheDataToThePrintCallback) {
  ZipBuilder zip;
  zip.file("docs/readme.txt", "line one\nline two\n");
  UnzipCall call(archive(zip), target());
  call.dcl.ncflag = 1;
  call.dcl.fQuiet = 2;
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(call.printed, std::vector<std::string>{"line one\nline two\n"});
  EXPECT_FALSE(fs::exists(target()));
}

TEST_F(UnzipLibraryTest, DetailedListingPrintsALinePerMember) {
  UnzipCall call(archive(sampleArchive()), target());
  call.dcl.nZIflag = 1;
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK);
  EXPECT_TRUE(call.printedLineContaining("Stored   2002-01-26 09:49:14"));
  EXPECT_TRUE(call.printedLineContaining("scenery/b.bgl"));
  EXPECT_TRUE(call.listed.empty());
  EXPECT_FALSE(fs::exists(target()));
}

TEST_F(UnzipLibraryTest, CreatesAMissingExtractionFolderWithItsParents) {
  UnzipCall call(archive(sampleArchive()), temp.path() / "one" / "two");
  call.dcl.ndflag = 1;
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_TRUE(fs::exists(temp.path() / "one" / "two" / "scenery" / "a.bgl"));
}

TEST_F(UnzipLibraryTest, AnEmptyExtractionFolderIsTheCurrentFolder) {
  const fs::path zip = archive(sampleArchive());
  const fs::path before = fs::current_path();
  fs::create_directories(target());
  fs::current_path(target());
  UnzipCall call(zip, "");
  call.dcl.ndflag = 1;
  const int result = call.run();
  fs::current_path(before);
  ASSERT_EQ(result, TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(targetFile("scenery/b.bgl"), "bbbb");
}

TEST_F(UnzipLibraryTest, ReportsAFolderItCannotWriteInto) {
  // A file stands where the member's folder must go.
  temp.write("target/scenery", "not a folder");
  UnzipCall call = extraction(archive(sampleArchive()));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_WRITE_ERROR);
  EXPECT_EQ(call.lastLine().rfind("error: ", 0), 0u);
  EXPECT_TRUE(call.printedLineContaining("cannot write scenery/a.bgl: "));
  EXPECT_EQ(targetFile("texture/with space.bmp"), sampleText(3000, 5));
  EXPECT_EQ(readFile(target() / "scenery"), "not a folder");
}

TEST_F(UnzipLibraryTest, OverwritingReplacesAReadOnlyFile) {
  const fs::path old = temp.write("target/scenery/b.bgl", "read-only old file");
  fs::permissions(old, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  UnzipCall call = extraction(archive(sampleArchive()));
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(targetFile("scenery/b.bgl"), "bbbb");
}

TEST_F(UnzipLibraryTest, ReadsAnArchiveThatIsOpenForWritingElsewhere) {
  const fs::path zip = archive(sampleArchive());
  std::ofstream writer(zip, std::ios::binary | std::ios::app);
  ASSERT_TRUE(writer.is_open());
  UnzipCall call = extraction(zip);
  EXPECT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(targetFile("scenery/b.bgl"), "bbbb");
}

}  // namespace
}  // namespace tarvik::testing
