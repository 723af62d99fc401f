// The exported interface itself: the record layouts, the version record, arguments that are
// missing.

#include <cstddef>
#include <cstring>

#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

static_assert(offsetof(DCL, fPrivilege) == 14 * 4);
static_assert(offsetof(DCL, lpszZipFN) == (sizeof(void*) == 8 ? 64 : 60));
static_assert(offsetof(USERFUNCTIONS, TotalSizeComp) == 6 * sizeof(void*));
static_assert(offsetof(USERFUNCTIONS, cchComment) == 6 * sizeof(void*) + 16);
static_assert(sizeof(UzpVer2) == 64);

TEST(UnzipVersionTest, FillsTheVersionRecord) {
  UzpVer2 version;
  std::memset(&version, 0x55, sizeof version);
  version.structlen = 64;
  ASSERT_EQ(UzpVersion2(&version), 0);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&version);
  EXPECT_EQ(bytes[60], 1);  // major
  EXPECT_EQ(bytes[61], 0);  // minor
  EXPECT_EQ(bytes[62], 0);  // patch level
  EXPECT_EQ(version.flag, 0u);
  EXPECT_STREQ(version.betalevel, "");
  EXPECT_GT(std::strlen(version.date), 0u);
  EXPECT_LT(std::strlen(version.date), sizeof version.date);
  EXPECT_EQ(std::string(version.zlib_version, 2), "1.");
  EXPECT_LT(std::strlen(version.zlib_version), sizeof version.zlib_version);
}

TEST(UnzipVersionTest, RefusesARecordOfAnotherLength) {
  UzpVer2 version;
  std::memset(&version, 0x55, sizeof version);
  version.structlen = 60;
  EXPECT_EQ(UzpVersion2(&version), 1);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(&version)[60], 0x55);
  EXPECT_EQ(UzpVersion2(nullptr), 1);
}

TEST_F(UnzipLibraryTest, RefusesACallWithoutOptionsOrArchiveName) {
  USERFUNCTIONS callbacks{};
  EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, nullptr, &callbacks),
            TARVIK_UNZIP_BAD_ARGUMENT);
  DCL dcl{};
  EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &dcl, &callbacks),
            TARVIK_UNZIP_BAD_ARGUMENT);
}

TEST_F(UnzipLibraryTest, WorksWithoutAnyCallback) {
  ZipBuilder zip;
  zip.file("scenery/a.bgl", sampleText(1000));
  std::string name = archive(zip).string();
  std::string folder = target().string();
  DCL dcl{};
  dcl.ndflag = 1;
  dcl.lpszZipFN = name.data();
  dcl.lpszExtractDir = folder.data();
  EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &dcl, nullptr), TARVIK_UNZIP_OK);
  EXPECT_EQ(targetFile("scenery/a.bgl"), sampleText(1000));
}

TEST_F(UnzipLibraryTest, TakesTheBindingsNameListsWithTheirEmptyLastSlot) {
  // As the installer's binding passes them: count names, then an empty text, then nulls.
  ZipBuilder zip;
  zip.file("scenery/a.bgl", "a").file("scenery/b.bgl", "b").file("texture/c.bmp", "c");
  std::string name = archive(zip).string();
  std::string folder = target().string();
  std::string first = "scenery/b.bgl";
  std::string empty;
  std::vector<char*> includes(1024, nullptr);
  includes[0] = first.data();
  includes[1] = empty.data();
  std::vector<char*> excludes(1024, nullptr);
  excludes[0] = empty.data();
  DCL dcl{};
  dcl.ndflag = 1;
  dcl.lpszZipFN = name.data();
  dcl.lpszExtractDir = folder.data();
  USERFUNCTIONS callbacks{};
  EXPECT_EQ(Wiz_SingleEntryUnzip(1, includes.data(), 0, excludes.data(), &dcl, &callbacks),
            TARVIK_UNZIP_OK);
  EXPECT_EQ(filesBelow(target()), std::vector<std::string>{"scenery/b.bgl"});

  std::filesystem::remove_all(target());
  EXPECT_EQ(Wiz_SingleEntryUnzip(0, excludes.data(), 0, excludes.data(), &dcl, &callbacks),
            TARVIK_UNZIP_OK);
  EXPECT_EQ(filesBelow(target()).size(), 3u);
}

}  // namespace
}  // namespace tarvik::testing
