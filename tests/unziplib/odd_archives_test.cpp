// Archives made byte by byte: orders, marks and damage that tools do not make on purpose, and
// names that would write outside the extraction folder.

#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(UnzipLibraryTest, MakesFoldersWhoseEntriesComeAfterTheirFiles) {
  ZipBuilder zip;
  zip.file("texture/a.bmp", sampleText(5000)).folder("texture/");
  zip.file("scenery/b.bgl", sampleText(7000, 2)).folder("scenery/").folder("empty/");
  UnzipCall call = extraction(archive(zip));
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(filesBelow(target()), (std::vector<std::string>{"scenery/b.bgl", "texture/a.bmp"}));
  EXPECT_EQ(foldersBelow(target()), (std::vector<std::string>{"empty", "scenery", "texture"}));
  EXPECT_EQ(targetFile("texture/a.bmp"), sampleText(5000));
  // Each folder is reported once, when it is made.
  EXPECT_EQ(std::count(call.printed.begin(), call.printed.end(), "   creating: texture/"), 1);
  EXPECT_EQ(call.lastLine(), "2 files extracted");
}

TEST_F(UnzipLibraryTest, WritesTextMarkedBinaryEntriesByteForByte) {
  std::string binary = "line\r\nend\n" + std::string("\0\x01\x02\n\r\x1B", 6) + sampleText(3000);
  ZipMember member;
  member.name = "texture/marked.0af";
  member.data = binary;
  member.internalAttributes = 1;
  ZipMember text;
  text.name = "docs/notes.txt";
  text.data = "one\ntwo\r\nthree\rfour\n";
  text.internalAttributes = 1;
  ZipMember unmarked = text;
  unmarked.name = "docs/unmarked.txt";
  unmarked.internalAttributes = 0;
  const fs::path zip = archive(ZipBuilder().add(member).add(text).add(unmarked));

  UnzipCall plain = extraction(zip);
  ASSERT_EQ(plain.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(targetFile("texture/marked.0af"), binary);
  EXPECT_EQ(targetFile("docs/notes.txt"), text.data);

  // With line-end conversion on, only real text marked as text is converted.
  UnzipCall converting = extraction(zip);
  converting.dcl.naflag = 1;
  ASSERT_EQ(converting.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(targetFile("texture/marked.0af"), binary);
  EXPECT_EQ(targetFile("docs/notes.txt"), "one\r\ntwo\r\nthree\r\nfour\r\n");
  EXPECT_EQ(targetFile("docs/unmarked.txt"), text.data);
}

TEST_F(UnzipLibraryTest, FindsTheEndRecordBeforeAComment) {
  ZipBuilder zip;
  zip.file("a.txt", "alpha");
  // A comment that itself holds an end record's signature does not mislead the search.
  zip.comment = "made for the tests PK\x05\x06 not a record";
  UnzipCall call = extraction(archive(zip));
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(targetFile("a.txt"), "alpha");
  EXPECT_EQ(call.callbacks.cchComment, 36u);
}

TEST_F(UnzipLibraryTest, ReadsAnArchiveBehindOtherDataWithItsOwnOffsets) {
  ZipBuilder zip;
  zip.prefix = std::string(102467, 'P');
  zip.file("scenery/x.bgl", sampleText(20000)).folder("scenery/");
  UnzipCall call = extraction(archive(zip, "tarvik_installer.exe"));
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(targetFile("scenery/x.bgl"), sampleText(20000));
}

TEST_F(UnzipLibraryTest, ADamagedCrcLeavesTheOldFileAndNoTemporaryFile) {
  temp.write("target/scenery/x.bgl", "the good old file");
  ZipMember bad;
  bad.name = "scenery/x.bgl";
  bad.data = sampleText(10000);
  bad.crc = crcOf(bad.data) ^ 0x1;
  ZipBuilder zip;
  zip.add(bad).file("scenery/y.bgl", "fine");
  UnzipCall call = extraction(archive(zip));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_CRC_ERROR);
  EXPECT_EQ(targetFile("scenery/x.bgl"), "the good old file");
  EXPECT_EQ(targetFile("scenery/y.bgl"), "fine");
  EXPECT_EQ(filesBelow(target()), (std::vector<std::string>{"scenery/x.bgl", "scenery/y.bgl"}));
  EXPECT_EQ(call.lastLine(), "error: CRC error in scenery/x.bgl: the archive is damaged");
}

TEST_F(UnzipLibraryTest, NamesTheFirstFailureLastWhenSeveralMembersFail) {
  ZipMember first;
  first.name = "a.bgl";
  first.data = "aaaa";
  first.crc = 1;
  ZipMember second = first;
  second.name = "b.bgl";
  UnzipCall call = extraction(archive(ZipBuilder().add(first).add(second)));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_CRC_ERROR);
  EXPECT_EQ(call.lastLine(),
            "error: 2 members failed; CRC error in a.bgl: the archive is damaged");
}

TEST_F(UnzipLibraryTest, ReportsATruncatedArchive) {
  ZipBuilder zip;
  zip.file("a.bgl", sampleText(30000)).file("b.bgl", sampleText(30000, 3));
  const std::string whole = zip.build();
  // Cut in the middle of the second member: the end record is gone.
  UnzipCall cut = extraction(temp.write("cut.zip", whole.substr(0, whole.size() / 2)));
  EXPECT_EQ(cut.run(), TARVIK_UNZIP_DAMAGED);
  EXPECT_EQ(cut.lastLine(),
            "error: the archive is damaged: its end record is missing (the file is truncated)");
  EXPECT_FALSE(fs::exists(target()));
}

TEST_F(UnzipLibraryTest, RefusesDataThatRunsIntoTheCentralDirectory) {
  ZipMember member;
  member.name = "a.bgl";
  member.data = sampleText(3000);
  member.dataDescriptor = true;  // so that the local header does not give the size away
  member.centralCompressedSize = 100000;
  UnzipCall call = extraction(archive(ZipBuilder().add(member)));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_DAMAGED);
  EXPECT_EQ(call.lastLine(),
            "error: a.bgl: the archive is damaged: an entry's data runs past the end of the archive");
  EXPECT_FALSE(targetHas("a.bgl"));
}

TEST_F(UnzipLibraryTest, NeverWritesMoreThanTheDeclaredSize) {
  temp.write("target/big.bgl", "old");
  ZipMember member;
  member.name = "big.bgl";
  member.data = sampleText(100000);
  member.declaredSize = 1000;
  UnzipCall call = extraction(archive(ZipBuilder().add(member)));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_CRC_ERROR);
  EXPECT_EQ(targetFile("big.bgl"), "old");
  EXPECT_EQ(filesBelow(target()), (std::vector<std::string>{"big.bgl"}));
  EXPECT_EQ(call.lastLine(),
            "error: more data than its declared size in big.bgl: the archive is damaged");

  ZipMember stored = member;
  stored.method = 0;
  UnzipCall storedCall = extraction(archive(ZipBuilder().add(stored), "stored.zip"));
  EXPECT_EQ(storedCall.run(), TARVIK_UNZIP_CRC_ERROR);
  EXPECT_EQ(targetFile("big.bgl"), "old");
}

TEST_F(UnzipLibraryTest, RefusesDataShorterThanDeclared) {
  ZipMember member;
  member.name = "short.bgl";
  member.data = sampleText(1000);
  member.declaredSize = 5000;
  UnzipCall call = extraction(archive(ZipBuilder().add(member)));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_CRC_ERROR);
  EXPECT_FALSE(targetHas("short.bgl"));
  EXPECT_EQ(filesBelow(target()), std::vector<std::string>{});
}

TEST_F(UnzipLibraryTest, RefusesInvalidCompressedData) {
  ZipMember member;
  member.name = "noise.bgl";
  member.data = std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8);
  member.method = 0;  // stored as is, but declared deflated below
  ZipBuilder zip;
  zip.add(member);
  std::string bytes = zip.build();
  bytes[8] = 8;                                 // local header: method 8
  bytes[30 + 9 + 8 + 10] = 8;                   // central header: method 8
  UnzipCall call = extraction(temp.write("bad.zip", bytes));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_CRC_ERROR);
  EXPECT_EQ(call.lastLine(),
            "error: invalid compressed data in noise.bgl: the archive is damaged");
  EXPECT_FALSE(targetHas("noise.bgl"));
}

TEST_F(UnzipLibraryTest, ChecksEachLocalHeaderAgainstItsCentralEntry) {
  ZipMember renamed;
  renamed.name = "scenery/a.bgl";
  renamed.localName = "scenery/b.bgl";
  renamed.data = "aaa";
  ZipMember otherCrc;
  otherCrc.name = "scenery/c.bgl";
  otherCrc.data = "ccc";
  otherCrc.localCrc = 7;
  UnzipCall call = extraction(archive(ZipBuilder().add(renamed).add(otherCrc).file("ok.bgl", "ok")));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_DAMAGED);
  EXPECT_TRUE(call.printedLine(
      "error: scenery/a.bgl: the archive is damaged: a local header does not match the central "
      "directory"));
  EXPECT_EQ(filesBelow(target()), (std::vector<std::string>{"ok.bgl"}));
}

TEST_F(UnzipLibraryTest, ReadsEntriesWithDataDescriptors) {
  ZipMember member;
  member.name = "scenery/streamed.bgl";
  member.data = sampleText(70000);
  member.dataDescriptor = true;
  ZipMember stored = member;
  stored.name = "scenery/stored.bgl";
  stored.method = 0;
  UnzipCall call = extraction(archive(ZipBuilder().add(member).add(stored)));
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(targetFile("scenery/streamed.bgl"), member.data);
  EXPECT_EQ(targetFile("scenery/stored.bgl"), member.data);
}

class UnsafeNameTest : public UnzipLibraryTest,
                       public ::testing::WithParamInterface<const char*> {};

TEST_P(UnsafeNameTest, IsRefusedAndWritesNothingOutsideTheFolder) {
  ZipBuilder zip;
  zip.file(GetParam(), "intruder").file("scenery/good.bgl", "good");
  UnzipCall call = extraction(archive(zip));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_WARNING);
  // Only the good member was written, and nothing appeared beside the extraction folder.
  EXPECT_EQ(filesBelow(target()), (std::vector<std::string>{"scenery/good.bgl"}));
  EXPECT_EQ(filesBelow(temp.path()),
            (std::vector<std::string>{"target/scenery/good.bgl", "test.zip"}));
  std::string shown = GetParam();
  std::replace(shown.begin(), shown.end(), '\\', '/');
  EXPECT_TRUE(call.printedLineContaining("error: " + shown + ": unsafe name refused, nothing written: "))
      << call.lastLine();
  EXPECT_EQ(call.lastLine().rfind("error: ", 0), 0u);
  // Testing the archive tells the same.
  UnzipCall testing = extraction(temp.path() / "test.zip");
  testing.dcl.ntflag = 1;
  EXPECT_EQ(testing.run(), TARVIK_UNZIP_WARNING);
}

INSTANTIATE_TEST_SUITE_P(Names, UnsafeNameTest,
                         ::testing::Values("../escaped.bgl", "scenery/../../escaped.bgl",
                                           "/absolute.bgl", "\\absolute.bgl", "C:/drive.bgl",
                                           "c:drive.bgl", "scenery\\..\\..\\escaped.bgl",
                                           "scenery/CON", "nul.txt", "scenery/com1.bgl",
                                           "Lpt9.x.y", "aux /x.bgl", "scenery/.../x.bgl",
                                           "file.bgl:stream", "tab\there.bgl"),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(UnzipLibraryTest, DropsTheFoldersOfHostileNamesWhenFolderNamesAreNotKept) {
  ZipBuilder zip;
  zip.file("../../up.bgl", "up").file("/abs/root.bgl", "root");
  UnzipCall call = extraction(archive(zip));
  call.dcl.ndflag = 0;
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(filesBelow(target()), (std::vector<std::string>{"root.bgl", "up.bgl"}));
}

TEST_F(UnzipLibraryTest, RefusesUnsupportedFeaturesClearly) {
  ZipMember bzip;
  bzip.name = "bzip2.bgl";
  bzip.data = "BZh91AY&SY";
  bzip.method = 12;
  ZipMember strong;
  strong.name = "strong.bgl";
  strong.data = "xxxxxxxxxxxxxxxx";
  strong.method = 0;
  strong.flags = 0x41;
  ZipMember aes = strong;
  aes.name = "aes.bgl";
  aes.method = 99;
  aes.flags = 0x01;
  ZipMember unknown = bzip;
  unknown.name = "unknown.bgl";
  unknown.method = 200;
  UnzipCall call = extraction(archive(
      ZipBuilder().add(bzip).add(strong).add(aes).add(unknown).file("fine.bgl", "fine")));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_UNSUPPORTED);
  for (const char* line :
       {"error: bzip2.bgl: it is compressed with method 12 (BZip2), which this program cannot read",
        "error: strong.bgl: it uses strong encryption, which this program cannot read",
        "error: aes.bgl: it is encrypted with WinZip AES (method 99), which this program cannot "
        "read",
        "error: unknown.bgl: it is compressed with method 200, which this program cannot read"})
    EXPECT_TRUE(call.printedLine(line)) << line;
  EXPECT_EQ(filesBelow(target()), (std::vector<std::string>{"fine.bgl"}));
}

TEST_F(UnzipLibraryTest, RefusesACentralDirectoryThatDoesNotFit) {
  ZipBuilder zip;
  zip.file("a.bgl", "a");
  std::string bytes = zip.build();
  bytes[bytes.size() - 22 + 16] = '\x7F';  // the stored offset of the central directory
  bytes[bytes.size() - 22 + 19] = '\x7F';
  UnzipCall call = extraction(temp.write("bad.zip", bytes));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_DAMAGED);
  EXPECT_EQ(call.lastLine(),
            "error: the archive is damaged: its central directory does not fit in the file");
}

TEST_F(UnzipLibraryTest, ExtractsManyMembersAndReportsTheDamagedOneAmongThem) {
  ZipBuilder zip;
  for (int i = 0; i < 300; ++i) {
    ZipMember member;
    member.name = "scenery/file" + std::to_string(i) + ".bgl";
    member.data = sampleText(1000 + 97 * i, i);
    if (i == 150) member.crc = crcOf(member.data) + 1;
    zip.add(member);
  }
  UnzipCall call = extraction(archive(zip));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_CRC_ERROR);
  EXPECT_EQ(filesBelow(target()).size(), 299u);
  for (int i = 0; i < 300; ++i) {
    const std::string name = "scenery/file" + std::to_string(i) + ".bgl";
    if (i == 150)
      EXPECT_FALSE(targetHas(name));
    else
      EXPECT_EQ(targetFile(name), sampleText(1000 + 97 * i, i)) << name;
  }
  EXPECT_EQ(std::count(call.printed.begin(), call.printed.end(),
                       "error: CRC error in scenery/file150.bgl: the archive is damaged"),
            2);
  EXPECT_EQ(call.lastLine(), "error: CRC error in scenery/file150.bgl: the archive is damaged");
  EXPECT_TRUE(call.printedLine("299 files extracted, 1 failed"));
}

TEST_F(UnzipLibraryTest, ALaterMemberOfTheSameNameWins) {
  ZipBuilder zip;
  zip.file("scenery/twice.bgl", sampleText(300000, 1)).file("scenery/twice.bgl", "second");
  zip.file("scenery/other.bgl", "other").file("scenery/twice.bgl", "third");
  UnzipCall call = extraction(archive(zip));
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(targetFile("scenery/twice.bgl"), "third");
  EXPECT_EQ(filesBelow(target()),
            (std::vector<std::string>{"scenery/other.bgl", "scenery/twice.bgl"}));
}

// Windows refuses paths of 260 characters and more unless they are written in their long form;
// an add-on folder deep below a simulator's folder reaches that. Where the system does not
// refuse them (Wine, POSIX), the checks still run but the test ends as skipped: the limit
// itself cannot be shown there.
TEST_F(UnzipLibraryTest, WritesPathsLongerThanTheWindowsLimit) {
  const bool limited = systemLimitsPathLength(temp.path());
  const std::string level = "Addon Scenery Folder With A Long Name 0123456789";
  fs::path folder = target();
  for (int i = 0; i < 4; ++i) folder /= level;
  const std::string name = level + "/scenery/" + level + ".bgl";
  ASSERT_GT(folder.string().size() + name.size(), 300u);
  ZipBuilder zip;
  zip.file(name, sampleText(5000)).folder(level + "/texture/");
  UnzipCall call(archive(zip), folder);
  call.dcl.ndflag = 1;
  call.dcl.noflag = 1;
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  // Once more over the files now there, through the replacing step.
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(readFile(longForm(folder / name)), sampleText(5000));
  EXPECT_TRUE(fs::is_directory(longForm(folder / level / "texture")));
  removeTree(target());
  if (!limited)
    GTEST_SKIP() << "long paths were written, but this system does not enforce the 260-character "
                    "limit, so the limit itself could not be shown";
}

TEST_F(UnzipLibraryTest, AcceptsAnEmptyArchive) {
  UnzipCall call = extraction(archive(ZipBuilder()));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(call.lastLine(), "0 files extracted");
}

}  // namespace
}  // namespace tarvik::testing
