// Entry names: the Unicode path and comment fields, names in the OEM code page with its
// double-byte characters, and folders that only their MS-DOS attribute marks.

#ifdef _WIN32
#include <windows.h>
#endif

#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

// A Unicode path or comment field made for the header's own text.
std::string unicodeField(uint16_t id, const std::string& headerText, const std::string& utf8) {
  std::string field;
  for (const uint32_t value : {uint32_t{id}, static_cast<uint32_t>(5 + utf8.size())})
    field += {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
  field += '\x01';
  const uint32_t crc = crcOf(headerText);
  for (int shift = 0; shift < 32; shift += 8) field += static_cast<char>(crc >> shift);
  return field + utf8;
}

ZipMember member(const std::string& name, const std::string& data) {
  ZipMember m;
  m.name = name;
  m.data = data;
  return m;
}

fs::path utf8Path(const std::u8string& path) { return fs::path(path); }

TEST_F(UnzipLibraryTest, TakesUnicodePathsAndCommentsMadeForTheirHeader) {
  // Names that a tool wrote in plain ASCII, with the real ones in UTF-8 beside them.
  ZipMember cafe = member("Cafe.txt", "cafe");
  cafe.comment = "fur den Tower";
  cafe.centralExtra = unicodeField(0x7075, "Cafe.txt", "Caf\xC3\xA9.txt") +
                      unicodeField(0x6375, cafe.comment, "fuer den Tower");
  // A field left behind a name that was changed since: passed over.
  ZipMember renamed = member("renamed.txt", "renamed");
  renamed.centralExtra = unicodeField(0x7075, "before.txt", "before.txt");
  // A placeholder name in the local header, the field made for it in both headers.
  ZipMember placeholder = member("Gr\x81\xE1" "e.txt", "greetings");
  placeholder.localName = "Grxxe.txt";
  placeholder.localExtra = unicodeField(0x7075, "Grxxe.txt", "Gr\xC3\xBC\xC3\x9F" "e.txt");
  placeholder.centralExtra = placeholder.localExtra;
  const fs::path zip = archive(ZipBuilder().add(cafe).add(renamed).add(placeholder));

  UnzipCall call = extraction(zip);
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(readFile(target() / utf8Path(u8"Café.txt")), "cafe");
  EXPECT_EQ(readFile(target() / utf8Path(u8"Grüße.txt")), "greetings");
  EXPECT_EQ(targetFile("renamed.txt"), "renamed");
  EXPECT_EQ(filesBelow(target()).size(), 3u);
  UnzipCall listing = extraction(zip);
  listing.dcl.nZIflag = 1;
  ASSERT_EQ(listing.run(), TARVIK_UNZIP_OK);
  EXPECT_TRUE(listing.printedLine("      comment: fuer den Tower"));
}

TEST_F(UnzipLibraryTest, SplitsANameOnlyAtARealSeparator) {
  // Shift-JIS (code page 932) without the UTF-8 flag: the second bytes of both characters are
  // 0x5C, the byte of '\'; the real separator is the '/' between them.
  const std::string japanese = "\x95\x5C/\x94\x5C.txt";
  ZipBuilder zip;
  zip.file(japanese, "hyou").file("docs\\readme.txt", "read me");
  UnzipCall call = extraction(archive(zip));
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(targetFile("docs/readme.txt"), "read me");
#ifdef _WIN32
  if (GetOEMCP() != 932) GTEST_SKIP() << "the OEM code page is not Shift-JIS (932) here";
  EXPECT_EQ(readFile(target() / utf8Path(u8"表/能.txt")), "hyou");
#else
  // Without a code page the bytes stay as they are.
  EXPECT_EQ(targetFile(japanese), "hyou");
#endif
}

TEST_F(UnzipLibraryTest, AFolderMarkedOnlyByItsAttributeIsAFolderWhenExtractedOrTested) {
  ZipMember dos = member("def", "");
  dos.method = 0;
  dos.versionMadeBy = 0x0014;  // MS-DOS
  dos.externalAttributes = 0x10;
  ZipMember ntfs = dos;
  ntfs.name = "jkl";
  ntfs.versionMadeBy = 0x0B14;
  ZipMember unix = member("mno", "a file");  // the bit means nothing to a Unix system
  unix.versionMadeBy = 0x0314;
  unix.externalAttributes = 0x81A40010;
  const fs::path zip = archive(ZipBuilder().add(dos).file("def/foo", "foo").add(ntfs).add(unix));

  UnzipCall call = extraction(zip);
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(foldersBelow(target()), (std::vector<std::string>{"def", "jkl"}));
  EXPECT_EQ(filesBelow(target()), (std::vector<std::string>{"def/foo", "mno"}));
  UnzipCall testing = extraction(zip);
  testing.dcl.ntflag = 1;
  ASSERT_EQ(testing.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(testing.lastLine(), "No errors detected in 2 tested files");
  UnzipCall listing = extraction(zip);
  listing.dcl.nvflag = 1;
  ASSERT_EQ(listing.run(), TARVIK_UNZIP_OK);
  EXPECT_EQ(listing.listed[0].name, "def/");
  EXPECT_EQ(listing.listed[2].name, "jkl/");
}

}  // namespace
}  // namespace tarvik::testing
