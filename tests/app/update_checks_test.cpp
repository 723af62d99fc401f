// The checks before an update changes anything, the room it needs, and the clean-up of staging
// files that an interrupted update left: over real folders, with a WriteAccess double.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/space_needed.h"
#include "app/staging_leftovers.h"
#include "app/update_checks.h"
#include "platform/posix/posix_file_system.h"
#include "platform/simulator_view.h"
#include "tests/support/fake_write_access.h"
#include "tests/support/temp_folder.h"
#include "unziplib/tarvik_unzip.h"

namespace tarvik {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

constexpr uint64_t kCluster = 4096;

TEST(SpaceNeededTest, CountsEachFilesGrowthInWholeClustersAndNothingForFilesThatShrink) {
  EXPECT_EQ(allocatedBytes(0, kCluster), 0u);
  EXPECT_EQ(allocatedBytes(1, kCluster), kCluster);
  EXPECT_EQ(allocatedBytes(kCluster + 1, kCluster), 2 * kCluster);

  const std::vector<PayloadFile> payload = {
      {"scenery", "new.bgl", 10000},    // not there: 3 clusters
      {"scenery", "Grow.bgl", 9000},    // 1 cluster now, 3 then
      {"texture", "shrink.bmp", 100},   // 3 clusters now, 1 then: frees room, counts nothing
      {"texture", "same.bmp", 4000}};   // 1 cluster either way
  const ExistingSizes existing = {
      {"scenery\\grow.bgl", 10}, {"texture\\shrink.bmp", 9000}, {"texture\\same.bmp", 1}};
  EXPECT_EQ(folderGrowth(payload, existing, kCluster), 3 * kCluster + 2 * kCluster);
}

TEST(SpaceNeededTest, StagingAllowanceCoversWhatTheLibraryMayStageAtOnce) {
  // Small archives: everything may be staged at once.
  std::vector<PayloadFile> payload;
  for (uint64_t size = 1; size <= 20; ++size) payload.push_back({"texture", "t", size * kCluster});
  EXPECT_EQ(stagingAllowance(payload, kCluster), 210 * kCluster);
  EXPECT_EQ(stagingAllowance({{"scenery", "one", 5}}, kCluster), kCluster);
  // Large ones: the member in hand and those ahead, within the library's bounds.
  const uint64_t big = 10u << 20;
  payload.assign(40, {"texture", "big", big});
  EXPECT_EQ(stagingAllowance(payload, kCluster),
            big + TARVIK_UNZIP_STAGED_AHEAD_BYTES + big +
                uint64_t{TARVIK_UNZIP_STAGED_AHEAD_FILES} * kCluster);
  EXPECT_EQ(describeBytes(45678912), "43.6 MB (45,678,912 bytes)");
}

class UpdateChecksTest : public ::testing::Test {
 protected:
  UpdateChecksTest() {
    for (const char* folder : {"c/a", "d/b"}) {
      root.write(std::string(folder) + "/scenery/area.bgl", std::string(3000, 'x'));
      root.write(std::string(folder) + "/scenery/mine.bgl", "user's own");
      root.makeFolder(std::string(folder) + "/texture");
    }
  }
  std::optional<CheckFailure> check(std::vector<std::string> folders = {"C:\\a", "D:\\b"}) {
    return checkUpdate(folders, payload, files, access);
  }

  testing::TempFolder root;
  PosixFileSystem files{root.path()};
  testing::FakeWriteAccess access;
  std::vector<PayloadFile> payload = {{"scenery", "area.bgl", 3 * kCluster},
                                      {"scenery", "qiro.bgl", 2 * kCluster},
                                      {"texture", "ground.bmp", 4 * kCluster}};
};

TEST_F(UpdateChecksTest, PassesWhenEveryVolumeHasRoomAndNothingIsHeldOrProtected) {
  EXPECT_EQ(check(), std::nullopt);
}

TEST_F(UpdateChecksTest, NamesTheDriveWithTheBytesNeededAndFreeCountingEveryFolderOnIt) {
  // area.bgl grows by 2 clusters, qiro.bgl and ground.bmp come new: 8 clusters a folder. Two
  // folders on C:, each counted, and room for the staged files once.
  const uint64_t needed = 2 * 8 * kCluster + stagingAllowance(payload, kCluster);
  root.write("c/b2/scenery/area.bgl", std::string(3000, 'x'));
  root.makeFolder("c/b2/texture");
  access.spaces["C:\\"] = {needed - 1, kCluster, std::nullopt};
  const auto failure = check({"C:\\a", "D:\\b", "C:\\b2", "c:\\A"});
  ASSERT_TRUE(failure);
  EXPECT_FALSE(failure->protectedFolder);
  EXPECT_THAT(failure->message, HasSubstr("drive C: does not have enough free space"));
  EXPECT_THAT(failure->message, HasSubstr("Needed: " + describeBytes(needed)));
  EXPECT_THAT(failure->message, HasSubstr("Free: " + describeBytes(needed - 1)));
  EXPECT_THAT(failure->message, HasSubstr("press Retry"));

  access.spaces["C:\\"] = {needed, kCluster, std::nullopt};
  EXPECT_EQ(check({"C:\\a", "D:\\b", "C:\\b2", "c:\\A"}), std::nullopt);
}

TEST_F(UpdateChecksTest, FoldersOnOneVolumeCountTogetherWhateverNamesLeadToIt) {
  // D: is C: under another name (a subst drive, a share, a junction): both folders count
  // against its room, and the message names the drive of the first.
  const uint64_t needed = 2 * 8 * kCluster + stagingAllowance(payload, kCluster);
  access.spaces["C:\\"] = access.spaces["D:\\"] = {needed - 1, kCluster, std::nullopt};
  access.serials = {{"C:\\", 7}, {"D:\\", 7}};
  const auto failure = check();
  ASSERT_TRUE(failure);
  EXPECT_THAT(failure->message, HasSubstr("drive C: does not have enough free space"));
  access.serials["D:\\"] = 8;
  EXPECT_EQ(check(), std::nullopt);
}

TEST_F(UpdateChecksTest, ChecksEveryCopyTheSimulatorSeesAndTheFolderWhereNewFilesGo) {
  // A's file has a copy in the store that a program holds; E exists only in the store, so its
  // files go there, and its real place (which would be refused) is not asked about.
  root.write("c/store/a/scenery/area.bgl", "the copy");
  root.write("c/store/e/scenery/qiro.bgl", "a folder only in the store");
  SimulatorView view(files, {"C:\\store", {"C:\\a", "C:\\e"}});
  access.heldFiles = {"C:\\store\\a\\scenery\\area.bgl"};
  access.deniedPaths = {"C:\\e", "C:\\e\\scenery"};
  const auto failure = checkUpdate({"C:\\a", "C:\\e"}, payload, view, access);
  ASSERT_TRUE(failure);
  EXPECT_FALSE(failure->protectedFolder);
  EXPECT_THAT(failure->message, HasSubstr("C:\\store\\a\\scenery\\area.bgl"));
  access.deniedPaths = {"C:\\store\\e\\scenery"};
  EXPECT_TRUE(checkUpdate({"C:\\a", "C:\\e"}, payload, view, access)->protectedFolder);
}

TEST_F(UpdateChecksTest, AFileTheUpdateReplacesOrDeletesHeldByAnotherProgramIsNamedWithIt) {
  access.heldFiles = {"C:\\a\\scenery\\area.bgl", "D:\\b\\scenery\\mine.bgl"};
  access.holders = {"Microsoft Flight Simulator"};
  const auto failure = check();
  ASSERT_TRUE(failure);
  EXPECT_FALSE(failure->protectedFolder);
  EXPECT_THAT(failure->message, HasSubstr("another program is using"));
  EXPECT_THAT(failure->message, HasSubstr("C:\\a\\scenery\\area.bgl"));
  EXPECT_THAT(failure->message, HasSubstr("In use by: Microsoft Flight Simulator."));
  // The user's own file only has its attributes reset, which a program holding it allows.
  EXPECT_THAT(failure->message, Not(HasSubstr("mine.bgl")));

  access.holders.clear();
  EXPECT_THAT(check()->message, HasSubstr("Close the flight simulator"));
}

TEST_F(UpdateChecksTest, AnObsoleteFileOrAStagingLeftoverCountsAsAFileTheUpdateDeletes) {
  root.write("c/a/scenery/trvk_data.dat", "old");
  root.write("c/a/texture/~tvk0badf00d.tmp", "half");
  access.heldFiles = {"C:\\a\\scenery\\TRVK_DATA.DAT", "C:\\a\\texture\\~tvk0badf00d.tmp"};
  const auto failure = check();
  ASSERT_TRUE(failure);
  EXPECT_THAT(failure->message, HasSubstr("trvk_data.dat"));
  EXPECT_THAT(failure->message, HasSubstr("~tvk0badf00d.tmp"));
}

TEST_F(UpdateChecksTest, AProtectedFolderOffersAdministratorRightsBeforeOtherFailures) {
  access.deniedPaths = {"D:\\b\\scenery"};
  access.heldFiles = {"C:\\a\\scenery\\area.bgl"};
  access.spaces["C:\\"] = {0, kCluster, std::nullopt};
  const auto failure = check();
  ASSERT_TRUE(failure);
  EXPECT_TRUE(failure->protectedFolder);
  EXPECT_THAT(failure->message, HasSubstr("D:\\b\\scenery"));
  EXPECT_THAT(failure->message, HasSubstr("Run as administrator"));
}

TEST_F(UpdateChecksTest, AFolderWithoutItsTextureFolderIsLeftForTheRunToReport) {
  fs::remove_all(root.path() / "d/b/texture");
  access.deniedPaths = {"D:\\b\\texture"};
  EXPECT_EQ(check(), std::nullopt);
}

TEST(StagingLeftoversTest, RemovesOnlyTheLibrarysStagingFiles) {
  testing::TempFolder root;
  PosixFileSystem files{root.path()};
  for (const char* name : {"~tvk3f2a91c0.tmp", "~TVK0000ABCD.TMP"}) {
    root.write(std::string("c/a/texture/") + name, "half");
    EXPECT_TRUE(isStagingFileName(name)) << name;
  }
  const std::vector<std::string> kept = {"~tvk3f2a91c.tmp", "~tvk3f2a91c0.tmp.bak", "~tvkzzzzzzzz.tmp",
                                         "tvk3f2a91c0.tmp", "~tvk notes.tmp", "ground.bmp"};
  for (const std::string& name : kept) {
    root.write("c/a/texture/" + name, "user's");
    EXPECT_FALSE(isStagingFileName(name)) << name;
  }
  RemoveStagingLeftovers(files, "C:\\a\\texture\\");
  RemoveStagingLeftovers(files, "C:\\a\\missing\\");
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(root.path() / "c/a/texture"))
    left.push_back(entry.path().filename().string());
  EXPECT_THAT(left, ::testing::UnorderedElementsAreArray(kept));
}

}  // namespace
}  // namespace tarvik
