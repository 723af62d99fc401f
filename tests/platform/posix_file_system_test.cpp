#include "platform/posix/posix_file_system.h"

#include <gtest/gtest.h>

#include "platform/runtime_error.h"
#include "tests/support/temp_folder.h"

namespace tarvik {
namespace {

namespace fs = std::filesystem;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  testing::TempFolder root;
  PosixFileSystem files{root.path()};
};

TEST_F(PosixFileSystemTest, MapsDrivePathsBelowTheRootIgnoringCase) {
  root.write("c/Games/FS2000/Scenery.CFG", "x");
  EXPECT_TRUE(files.fileExists("C:\\games\\fs2000\\scenery.cfg"));
  EXPECT_TRUE(files.fileExists("c:/GAMES/FS2000//scenery.cfg"));
  EXPECT_TRUE(files.fileExists("c:\\games\\other\\..\\fs2000\\scenery.cfg"));
  EXPECT_FALSE(files.fileExists("C:\\Games\\FS2000"));
  EXPECT_FALSE(files.fileExists("\\\\server\\share\\scenery.cfg"));
  EXPECT_FALSE(files.attributes("Games\\FS2000").has_value());
  EXPECT_EQ(files.attributes("C:\\Games\\FS2000").value() & file_attribute::kDirectory,
            file_attribute::kDirectory);
}

TEST_F(PosixFileSystemTest, StoredPathSpellsEachExistingNameAsStoredAndKeepsTheRest) {
  root.write("c/Games/FS2000/Scenery.CFG", "x");
  EXPECT_EQ(files.storedPath("c:\\games\\fs2000\\scenery.cfg"), "c:\\Games\\FS2000\\Scenery.CFG");
  EXPECT_EQ(files.storedPath("C:\\GAMES\\missing\\More\\"), "C:\\Games\\missing\\More\\");
}

TEST_F(PosixFileSystemTest, ListsOnlyTheFilesDirectlyInAFolder) {
  root.write("c/a/one.bgl", "1");
  root.write("c/a/Two.bgl", "22");
  root.write("c/a/sub/three.bgl", "333");
  auto listed = files.filesIn("C:\\A\\");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"C:\\A\\Two.bgl", "C:\\A\\one.bgl"}));
  EXPECT_EQ(files.fileSize("c:\\a\\two.bgl"), 2u);
  try {
    files.filesIn("C:\\missing\\");
    FAIL() << "a missing folder must raise";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), error_number::kPathNotFound);
  }
}

TEST_F(PosixFileSystemTest, ReadOnlyFilesCannotBeDeletedUntilMadeNormal) {
  const fs::path file = root.write("c/a/old.bgl", "x");
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(files.attributes("C:\\a\\old.bgl").value() & file_attribute::kReadOnly,
            file_attribute::kReadOnly);
  EXPECT_THROW(files.deleteFile("C:\\a\\OLD.bgl"), RuntimeError);
  files.setNormalAttributes("C:\\a\\old.bgl");
  files.deleteFile("C:\\a\\OLD.bgl");
  EXPECT_FALSE(fs::exists(file));
  EXPECT_THROW(files.deleteFile("C:\\a\\old.bgl"), RuntimeError);
}

TEST_F(PosixFileSystemTest, ReadsLinesOfATextFile) {
  root.write("c/sim/scenery.cfg", "[Area.001]\r\nLocal=Scenery\\World\r\nActive=TRUE");
  EXPECT_EQ(files.readLines("C:\\Sim\\scenery.cfg"),
            (std::vector<std::string>{"[Area.001]", "Local=Scenery\\World", "Active=TRUE"}));
  root.write("c/sim/empty.cfg", "");
  EXPECT_TRUE(files.readLines("C:\\Sim\\empty.cfg").empty());
  EXPECT_THROW(files.readLines("C:\\Sim\\none.cfg"), RuntimeError);
}

}  // namespace
}  // namespace tarvik
