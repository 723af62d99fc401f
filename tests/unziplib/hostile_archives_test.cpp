// Archives built to mislead a reader: members that overlap one another (an archive that expands
// far beyond its size), and end records that are not the archive's own, in its comment, after
// it, in an archive stored inside it, or in a program in front of it.

#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

ZipMember stored(const std::string& name, const std::string& data) {
  ZipMember member;
  member.name = name;
  member.data = data;
  member.method = 0;
  return member;
}

// Members each of whose stored data holds the next member whole, local header and data: the
// innermost member's bytes are read once for every member. Member k is "mk.bgl".
std::string quotingArchive(int members, const std::string& kernel) {
  std::vector<std::string> data(members);
  data[members - 1] = kernel;
  for (int k = members - 1; k > 0; --k) {
    const ZipMember next = stored("m" + std::to_string(k) + ".bgl", data[k]);
    data[k - 1] = ZipBuilder().add(next).build().substr(0, 30 + next.name.size() + data[k].size());
  }
  ZipBuilder zip;
  uint32_t offset = 0;
  for (int k = 0; k < members; ++k) {
    ZipMember member = stored("m" + std::to_string(k) + ".bgl", data[k]);
    member.centralOffset = offset;
    offset += static_cast<uint32_t>(30 + member.name.size());
    zip.add(member);
  }
  return zip.build();
}

void put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// An end record: its entries, the size and stored offset of its central directory, and the
// length of the comment to follow.
std::string endRecord(uint16_t entries, uint32_t centralSize, uint32_t centralOffset,
                      uint16_t commentLength) {
  std::string record("PK\x05\x06", 4);
  put(record, 0, 4);
  put(record, entries, 2);
  put(record, entries, 2);
  put(record, centralSize, 4);
  put(record, centralOffset, 4);
  put(record, commentLength, 2);
  return record;
}

std::string emptyEndRecord(uint16_t commentLength) { return endRecord(0, 0, 0, commentLength); }

// A central directory of the archive's first member alone, with its end record, for appending
// to the archive: a second, smaller archive over the same members.
std::string firstMemberDirectory(const std::string& archive) {
  const std::size_t endAt = archive.size() - 22;
  const uint32_t centralOffset = static_cast<uint8_t>(archive[endAt + 16]) |
                                 static_cast<uint8_t>(archive[endAt + 17]) << 8;
  const std::size_t nameLength = static_cast<uint8_t>(archive[centralOffset + 28]);
  const std::string first = archive.substr(centralOffset, 46 + nameLength);
  return first + endRecord(1, static_cast<uint32_t>(first.size()),
                           static_cast<uint32_t>(archive.size()), 0);
}

TEST_F(UnzipLibraryTest, RefusesMembersThatQuoteEachOther) {
  const std::string kernel = sampleText(20000);
  UnzipCall call = extraction(temp.write("quoting.zip", quotingArchive(5, kernel)));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_DAMAGED);
  for (int k = 0; k < 5; ++k)
    EXPECT_TRUE(call.printedLine("error: m" + std::to_string(k) +
                                 ".bgl: the archive is damaged: its bytes overlap those of "
                                 "another member"));
  EXPECT_TRUE(call.printedLine("0 files extracted, 5 failed"));
  EXPECT_FALSE(std::filesystem::exists(target()) && !filesBelow(target()).empty());

  // Testing refuses them the same way; listing still shows them.
  UnzipCall testing = extraction(temp.path() / "quoting.zip");
  testing.dcl.ntflag = 1;
  EXPECT_EQ(testing.run(), TARVIK_UNZIP_DAMAGED);
  UnzipCall listing = extraction(temp.path() / "quoting.zip");
  listing.dcl.nvflag = 1;
  EXPECT_EQ(listing.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(listing.listed.size(), 5u);
}

TEST_F(UnzipLibraryTest, RefusesCentralEntriesThatShareALocalHeaderButKeepsTheOthers) {
  ZipMember shared;
  shared.name = "scenery/shared.bgl";
  shared.data = sampleText(50000);
  ZipBuilder zip;
  zip.add(shared).file("scenery/own.bgl", "own");
  for (int i = 0; i < 3; ++i) {
    ZipMember again = shared;
    again.centralOffset = 0;
    zip.add(again);
  }
  UnzipCall call = extraction(archive(zip));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_DAMAGED);
  EXPECT_EQ(filesBelow(target()), std::vector<std::string>{"scenery/own.bgl"});
  EXPECT_TRUE(call.printedLine("1 file extracted, 4 failed"));
}

TEST_F(UnzipLibraryTest, PassesOverAnEndRecordInTheCommentOrAfterTheArchive) {
  ZipBuilder zip;
  zip.file("scenery/a.bgl", sampleText(3000)).file("texture/b.bmp", "bmp");
  const std::vector<std::string> expected = {"scenery/a.bgl", "texture/b.bmp"};

  // A comment that ends in an empty archive's end record, itself ending the file.
  ZipBuilder commented = zip;
  commented.comment = "made by us " + emptyEndRecord(4) + "tail";
  UnzipCall inComment = extraction(archive(commented, "comment.zip"));
  ASSERT_EQ(inComment.run(), TARVIK_UNZIP_OK) << inComment.lastLine();
  EXPECT_EQ(filesBelow(target()), expected);
  EXPECT_EQ(inComment.callbacks.cchComment, commented.comment.size());

  // Bytes appended after the archive, as code signing appends its signature: plain, with an
  // empty archive's end record, and with a directory of the first member alone.
  for (const std::string& trailer :
       {std::string(1000, '\x30'), std::string(300, '\x30') + emptyEndRecord(0),
        firstMemberDirectory(zip.build())}) {
    std::filesystem::remove_all(target());
    ZipBuilder signedZip = zip;
    signedZip.trailer = trailer;
    UnzipCall after = extraction(archive(signedZip, "signed.zip"));
    ASSERT_EQ(after.run(), TARVIK_UNZIP_OK) << after.lastLine();
    EXPECT_EQ(filesBelow(target()), expected);
  }
}

TEST_F(UnzipLibraryTest, ReadsTheOuterArchiveAroundOrBehindAnother) {
  const std::string inner = ZipBuilder().file("inner.txt", "inner").build();
  // An archive stored as the last member: its end record lies in the outer one's data.
  ZipBuilder outer;
  outer.file("outer.txt", "outer").add(stored("inner.zip", inner));
  UnzipCall around = extraction(archive(outer, "outer.zip"));
  ASSERT_EQ(around.run(), TARVIK_UNZIP_OK) << around.lastLine();
  EXPECT_EQ(filesBelow(target()), (std::vector<std::string>{"inner.zip", "outer.txt"}));
  EXPECT_EQ(targetFile("inner.zip"), inner);

  // A program that carries an archive of its own near its end, with the payload behind it.
  std::filesystem::remove_all(target());
  ZipBuilder payload;
  payload.prefix = "MZ" + inner + std::string(100, '\0');
  payload.file("payload.txt", "payload");
  UnzipCall behind = extraction(archive(payload, "installer.exe"));
  ASSERT_EQ(behind.run(), TARVIK_UNZIP_OK) << behind.lastLine();
  EXPECT_EQ(filesBelow(target()), std::vector<std::string>{"payload.txt"});
}

TEST_F(UnzipLibraryTest, RefusesATailFullOfEndRecords) {
  ZipBuilder zip;
  zip.file("a.txt", "a");
  for (int i = 0; i < 40; ++i) zip.comment += emptyEndRecord(0);
  UnzipCall call = extraction(archive(zip));
  EXPECT_EQ(call.run(), TARVIK_UNZIP_DAMAGED);
  EXPECT_EQ(call.lastLine(),
            "error: the archive is damaged: it holds too many end records to tell which is its own");
}

}  // namespace
}  // namespace tarvik::testing
