// Encrypted members: the password callback, its buffer, retries, refusals and the check byte.

#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

const char* const kPassword = "Secret 42";

void expectSourceExtracted(const fs::path& folder) {
  const fs::path source = testData("source");
  ASSERT_EQ(filesBelow(folder), filesBelow(source));
  for (const std::string& file : filesBelow(source))
    EXPECT_EQ(readFile(folder / file), readFile(source / file)) << file;
}

TEST_F(UnzipLibraryTest, ExtractsAZipToolArchiveWithItsPassword) {
  for (const char* name : {"zip_password.zip", "zip_streamed_password.zip"}) {
    SCOPED_TRACE(name);
    UnzipCall call = extraction(testData(name));
    call.passwords = {kPassword};
    ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
    expectSourceExtracted(target());
    // Asked once: the password that fitted is tried first for the later members.
    ASSERT_EQ(call.passwordQueries.size(), 1u);
    const PasswordQuery& query = call.passwordQueries[0];
    EXPECT_GE(query.size, 256);
    EXPECT_TRUE(query.bufferWasZeroed);
    EXPECT_EQ(query.entryName, "scenery/alpha.bgl");
    EXPECT_EQ(query.prompt, "Enter the password for scenery/alpha.bgl");
    fs::remove_all(target());
  }
}

TEST_F(UnzipLibraryTest, AsksAgainAfterAWrongPassword) {
  UnzipCall call = extraction(testData("zip_password.zip"));
  call.passwords = {"wrong", kPassword};
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  ASSERT_EQ(call.passwordQueries.size(), 2u);
  EXPECT_EQ(call.passwordQueries[1].prompt,
            "Wrong password. Enter the password for scenery/alpha.bgl");
  EXPECT_TRUE(call.passwordQueries[1].bufferWasZeroed);
  expectSourceExtracted(target());
}

TEST_F(UnzipLibraryTest, SkipsAMemberAfterThreeWrongPasswords) {
  temp.write("target/docs/readme.txt", "old text");
  UnzipCall call = extraction(testData("zip_password.zip"));
  call.includes = {"docs/readme.txt"};
  call.passwords = {"one", "two", "three", kPassword};
  EXPECT_EQ(call.run(), TARVIK_UNZIP_BAD_PASSWORD);
  EXPECT_EQ(call.passwordQueries.size(), 3u);
  EXPECT_EQ(targetFile("docs/readme.txt"), "old text");
  EXPECT_EQ(filesBelow(target()), std::vector<std::string>{"docs/readme.txt"});
  EXPECT_EQ(call.lastLine(), "error: docs/readme.txt: wrong password; the member was skipped");
}

TEST_F(UnzipLibraryTest, SkipsEncryptedMembersWhenNoPasswordIsGiven) {
  UnzipCall refused = extraction(testData("zip_password.zip"));
  EXPECT_EQ(refused.run(), TARVIK_UNZIP_BAD_PASSWORD);
  // One question per file member; folders need none.
  EXPECT_EQ(refused.passwordQueries.size(), 7u);
  EXPECT_TRUE(filesBelow(target()).empty());
  EXPECT_EQ(refused.lastLine(),
            "error: 7 members failed; scenery/alpha.bgl: no password was given; the member was "
            "skipped");

  UnzipCall noCallback = extraction(testData("zip_password.zip"));
  noCallback.callbacks.password = nullptr;
  EXPECT_EQ(noCallback.run(), TARVIK_UNZIP_BAD_PASSWORD);
  EXPECT_TRUE(filesBelow(target()).empty());
}

TEST_F(UnzipLibraryTest, TestsAndListsEncryptedMembers) {
  UnzipCall test(testData("zip_streamed_password.zip"), target());
  test.dcl.ntflag = 1;
  test.passwords = {kPassword};
  EXPECT_EQ(test.run(), TARVIK_UNZIP_OK) << test.lastLine();
  EXPECT_FALSE(fs::exists(target()));

  UnzipCall list(testData("zip_password.zip"), "");
  list.dcl.nvflag = 1;
  ASSERT_EQ(list.run(), TARVIK_UNZIP_OK);
  for (const ListedMember& member : list.listed)
    EXPECT_EQ(member.encryptionMark, member.name.back() == '/' ? uint32_t{' '} : uint32_t{'E'})
        << member.name;
  EXPECT_TRUE(list.passwordQueries.empty());
}

TEST_F(UnzipLibraryTest, ChecksThePasswordByCrcOrByTimeAndTakesLongPasswords) {
  const std::string longPassword(254, 'k');
  ZipMember byCrc;
  byCrc.name = "by_crc.bgl";
  byCrc.data = sampleText(9000);
  byCrc.password = longPassword;
  ZipMember byTime = byCrc;
  byTime.name = "by_time.bgl";
  byTime.dataDescriptor = true;
  ZipMember stored = byCrc;
  stored.name = "stored.bgl";
  stored.method = 0;
  UnzipCall call = extraction(archive(ZipBuilder().add(byCrc).add(byTime).add(stored)));
  call.passwords = {longPassword};
  ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  EXPECT_EQ(call.passwordQueries.size(), 1u);
  for (const char* name : {"by_crc.bgl", "by_time.bgl", "stored.bgl"})
    EXPECT_EQ(targetFile(name), byCrc.data) << name;
}

TEST_F(UnzipLibraryTest, AWrongPasswordThatPassesTheCheckByteStillFailsTheCrc) {
  // The check byte is one byte: find a wrong password it lets through.
  ZipMember member;
  member.name = "locked.bgl";
  member.data = sampleText(2000);
  member.method = 0;
  member.password = "right";
  const fs::path zip = archive(ZipBuilder().add(member));
  for (int i = 0; i < 2000; ++i) {
    UnzipCall call = extraction(zip);
    call.passwords = {"guess" + std::to_string(i)};
    const int result = call.run();
    if (call.passwordQueries.size() == 1 && result != TARVIK_UNZIP_BAD_PASSWORD) {
      EXPECT_EQ(result, TARVIK_UNZIP_CRC_ERROR);
      EXPECT_EQ(call.lastLine(),
                "error: CRC error in locked.bgl: the archive is damaged or the password is wrong");
      EXPECT_FALSE(targetHas("locked.bgl"));
      return;
    }
  }
  FAIL() << "no wrong password passed the check byte";
}

}  // namespace
}  // namespace tarvik::testing
