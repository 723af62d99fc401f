// The file system as a simulator sees it: copies in the user's VirtualStore hide the files at
// their paths, over real folders (PosixFileSystem). Paths below mirror Windows': FS2002 below
// Program Files (x86), the store below the user's local application data.

#include "platform/simulator_view.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/posix/posix_file_system.h"
#include "platform/runtime_error.h"
#include "tests/support/temp_folder.h"

namespace tarvik {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
namespace fs = std::filesystem;

constexpr const char* kStore = "C:\\Users\\Ann\\AppData\\Local\\VirtualStore";
constexpr const char* kArea = "C:\\Program Files (x86)\\FS2002\\Addon Scenery\\Tarvik";
constexpr const char* kRealArea = "c/Program Files (x86)/FS2002/Addon Scenery/Tarvik/";
constexpr const char* kCopyArea =
    "c/Users/Ann/AppData/Local/VirtualStore/Program Files (x86)/FS2002/Addon Scenery/Tarvik/";

TEST(VirtualStoreTest, MapsPathsBelowTheVirtualizedFoldersOnly) {
  const VirtualStore store{std::string(kStore) + "\\", {"C:\\Program Files (x86)", "C:\\Windows"}};
  EXPECT_EQ(store.copyOf("c:\\program files (x86)\\fs2002\\scenery.cfg"),
            std::string(kStore) + "\\program files (x86)\\fs2002\\scenery.cfg");
  EXPECT_EQ(store.copyOf("C:/Program Files (x86)/FS2002/../FS2000/./a//b\\"),
            std::string(kStore) + "\\Program Files (x86)\\FS2000\\a\\b\\");
  EXPECT_EQ(store.copyOf("C:\\Windows"), std::string(kStore) + "\\Windows");
  for (const char* outside : {"C:\\Program Files (x86)x\\a", "C:\\Program Files (x86)\\..\\a",
                              "D:\\Program Files (x86)\\a", "\\\\server\\share\\Windows\\a",
                              "Program Files (x86)\\a"})
    EXPECT_EQ(store.copyOf(outside), std::nullopt) << outside;
  EXPECT_EQ(VirtualStore{}.copyOf("C:\\Windows\\a"), std::nullopt);
}

class SimulatorViewTest : public ::testing::Test {
 protected:
  std::string area(const std::string& relative) const { return std::string(kArea) + relative; }
  fs::path real(const std::string& relative) const { return root.path() / (kRealArea + relative); }
  fs::path copy(const std::string& relative) const { return root.path() / (kCopyArea + relative); }

  testing::TempFolder root;
  PosixFileSystem files{root.path()};
  SimulatorView view{files, {kStore, {"C:\\Program Files (x86)"}}};
};

TEST_F(SimulatorViewTest, ReadsTheCopyWhereThereIsOneAndListsTheFilesOfBoth) {
  root.write(kRealArea + std::string("scenery/qiro.bgl"), "real marker");
  root.write(kRealArea + std::string("scenery/area.bgl"), "real");
  root.write(kCopyArea + std::string("scenery/QIRO.BGL"), "the copy");
  root.write(kCopyArea + std::string("scenery/extra.bgl"), "only a copy");
  EXPECT_EQ(view.fileSize(area("\\scenery\\qiro.bgl")), 8u);
  EXPECT_EQ(view.fileSize(area("\\scenery\\area.bgl")), 4u);
  EXPECT_TRUE(view.fileExists(area("\\scenery\\extra.bgl")));
  EXPECT_THAT(view.filesIn(area("\\scenery")),
              UnorderedElementsAre(area("\\scenery\\QIRO.BGL"), area("\\scenery\\extra.bgl"),
                                   area("\\scenery\\area.bgl")));
  EXPECT_EQ(view.storedFiles(area("\\scenery\\qiro.bgl")).size(), 2u);
  EXPECT_EQ(view.storedFiles(area("\\scenery\\area.bgl")).at(0).size, 4u);
}

TEST_F(SimulatorViewTest, ResetsAndDeletesEveryCopyAndRaisesWhereThereIsNone) {
  root.write(kRealArea + std::string("scenery/old.xcl"), "real");
  root.write(kCopyArea + std::string("scenery/old.xcl"), "copy");
  fs::permissions(copy("scenery/old.xcl"), fs::perms::owner_write, fs::perm_options::remove);
  root.write(kCopyArea + std::string("scenery/only.xcl"), "copy");
  EXPECT_TRUE(view.setNormalAttributes(area("\\scenery\\old.xcl")));
  EXPECT_TRUE(view.deleteFile(area("\\scenery\\old.xcl")));
  EXPECT_TRUE(view.deleteFile(area("\\scenery\\only.xcl")));
  EXPECT_FALSE(fs::exists(real("scenery/old.xcl")) || fs::exists(copy("scenery/old.xcl")) ||
               fs::exists(copy("scenery/only.xcl")));
  EXPECT_THROW(view.deleteFile(area("\\scenery\\old.xcl")), RuntimeError);
  EXPECT_THROW(view.filesIn(area("\\missing")), RuntimeError);
}

TEST_F(SimulatorViewTest, NewFilesGoToTheRealFolderUnlessOnlyItsCopyExists) {
  root.makeFolder(kCopyArea + std::string("scenery"));
  EXPECT_EQ(view.folderForNewFiles(area("")), std::string(kStore) +
                                                  "\\Program Files (x86)\\FS2002\\Addon "
                                                  "Scenery\\Tarvik");
  root.makeFolder(kRealArea);
  EXPECT_EQ(view.folderForNewFiles(area("")), area(""));
  EXPECT_EQ(view.folderForNewFiles("D:\\Addons\\Tarvik"), "D:\\Addons\\Tarvik");
}

TEST_F(SimulatorViewTest, RevealingANewFileRemovesItsCopyButNeverAFileWrittenToTheStore) {
  root.write(kRealArea + std::string("texture/asphalt.bmp"), "new");
  root.write(kCopyArea + std::string("texture/asphalt.bmp"), "old");
  fs::permissions(copy("texture/asphalt.bmp"), fs::perms::owner_write, fs::perm_options::remove);
  root.write(kCopyArea + std::string("texture/written.bmp"), "written to the store");
  view.revealNewFiles({area("\\texture\\asphalt.bmp"), area("\\texture\\written.bmp"),
                       area("\\texture\\missing.bmp")});
  EXPECT_EQ(testing::readFile(real("texture/asphalt.bmp")), "new");
  EXPECT_FALSE(fs::exists(copy("texture/asphalt.bmp")));
  EXPECT_EQ(view.fileSize(area("\\texture\\asphalt.bmp")), 3u);
  EXPECT_TRUE(fs::exists(copy("texture/written.bmp")));
}

}  // namespace
}  // namespace tarvik
