// ZIP64 archives: the ZIP64 end record and its locator and the ZIP64 extra fields, past 4 GiB and
// past 65,535 entries; and the refusals of an end record, each with its real cause.

#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(UnzipLibraryTest, ReadsZip64RecordsAndExtraFieldsBehindOtherData) {
  ZipBuilder zip;
  zip.zip64 = ZipBuilder::Zip64::kAlways;
  zip.prefix = "MZ" + std::string(5000, 'P');
  zip.file("scenery/a.bgl", sampleText(30000)).file("texture/b.bmp", sampleText(700, 2), 0);
  zip.folder("scenery/");
  UnzipCall call = extraction(archive(zip, "installer.exe"));
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(targetFile("scenery/a.bgl"), sampleText(30000));
  EXPECT_EQ(targetFile("texture/b.bmp"), sampleText(700, 2));
}

TEST_F(UnzipLibraryTest, ReadsAnArchivePastFourGibibytes) {
  // A stored member of zeros, a hole in the file, with the member after it past 4 GiB.
  constexpr uint64_t kZeros = (uint64_t{1} << 32) + 16;
  ZipMember zeros;
  zeros.name = "zeros.bin";
  zeros.method = 0;
  zeros.zeros = kZeros;
  ZipBuilder zip;
  zip.add(zeros).file("after.txt", sampleText(5000));
  const fs::path file = temp.path() / "big.zip";
  zip.write(file);
  ASSERT_GT(fs::file_size(file), kZeros);

  UnzipCall call = extraction(file);
  call.excludes = {"zeros.bin"};
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(filesBelow(target()), std::vector<std::string>{"after.txt"});
  EXPECT_EQ(targetFile("after.txt"), sampleText(5000));

  // Its size: in full in the detailed listing, held at the largest 32-bit value in the callback.
  UnzipCall listing = extraction(file);
  listing.dcl.nvflag = 1;
  listing.dcl.nZIflag = 1;
  ASSERT_EQ(listing.run(), TARVIK_UNZIP_OK);
  EXPECT_TRUE(listing.printedLineContaining("4294967312 4294967312   0%  Stored"));
  EXPECT_EQ(listing.listed[0].uncompressedSize, 0xFFFFFFFFu);
  // Its data: every byte through the CRC.
  UnzipCall testing = extraction(file);
  testing.dcl.ntflag = 1;
  ASSERT_EQ(testing.run(), TARVIK_UNZIP_OK) << testing.lastLine();
  EXPECT_EQ(testing.lastLine(), "No errors detected in 2 tested files");
}

TEST_F(UnzipLibraryTest, ReadsAToolsArchiveOfMoreThan65535Entries) {
  UnzipCall call = extraction(testData("python_many_entries.zip"));
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(filesBelow(target()),
            (std::vector<std::string>{"many/last0.txt", "many/last1.txt", "many/last2.txt"}));
  EXPECT_EQ(targetFile("many/last2.txt"), "entry 2\n");
  UnzipCall listing = extraction(testData("python_many_entries.zip"));
  listing.dcl.nvflag = 1;
  ASSERT_EQ(listing.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(listing.callbacks.NumMembers, 65539u);
}

// Sets a byte of the archive.
std::string patched(std::string bytes, std::size_t at, char value) {
  bytes.at(at) = value;
  return bytes;
}

TEST_F(UnzipLibraryTest, TellsTheRealCauseOfARefusedEndRecordAndTakesOneThatFits) {
  ZipBuilder zip;
  zip.file("a.bgl", "a");
  const std::string plain = zip.build();
  const std::size_t end = plain.size() - 22;
  ZipBuilder wide = zip;
  wide.zip64 = ZipBuilder::Zip64::kAlways;
  const std::string zip64 = wide.build();
  const std::size_t zip64End = zip64.size() - 22 - 20 - 56;
  ZipBuilder split = zip;
  split.disk = 1;
  // A locator's signature and fields that end the last central record's comment, just before
  // an end record whose own fields all fit: not ZIP64.
  ZipMember commented;
  commented.name = "a.bgl";
  commented.data = "a";
  commented.comment = std::string("PK\x06\x07", 4) + std::string(16, '\x7F');
  const struct {
    std::string bytes;
    int result;
    std::string line;
  } cases[] = {
      {ZipBuilder().add(commented).build(), TARVIK_UNZIP_OK, "1 file extracted"},
      {split.build(), TARVIK_UNZIP_UNSUPPORTED,
       "error: the archive is split over several disks, which this program cannot read"},
      {patched(plain, end + 6, 7), TARVIK_UNZIP_DAMAGED,
       "error: the archive is damaged: its end record contradicts itself"},
      {patched(plain, end + 8, 2), TARVIK_UNZIP_DAMAGED,
       "error: the archive is damaged: its end record contradicts itself"},
      {patched(zip64, zip64End + 14, 62), TARVIK_UNZIP_UNSUPPORTED,
       "error: the archive's central directory is encrypted, which this program cannot read"},
      {patched(zip64, zip64End, 'X'), TARVIK_UNZIP_DAMAGED,
       "error: the archive is damaged: its ZIP64 end record is missing"},
  };
  for (const auto& refused : cases) {
    UnzipCall call = extraction(temp.write("refused.zip", refused.bytes));
    EXPECT_EQ(call.run(), refused.result) << refused.line;
    EXPECT_EQ(call.lastLine(), refused.line);
  }
  EXPECT_EQ(filesBelow(target()), std::vector<std::string>{"a.bgl"});
}

}  // namespace
}  // namespace tarvik::testing
