// Preparing an add-on folder: attributes reset and obsolete files removed, on real files.

#include "app/update_application.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <set>

#include "app/obsolete_files.h"
#include "app/staging_leftovers.h"
#include "platform/posix/posix_file_system.h"
#include "platform/runtime_error.h"
#include "tests/support/temp_folder.h"

namespace tarvik {
namespace {

namespace fs = std::filesystem;

bool readOnly(const fs::path& file) {
  return (fs::status(file).permissions() & fs::perms::owner_write) == fs::perms::none;
}

void makeReadOnly(const fs::path& file) {
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

class UpdateApplicationTest : public ::testing::Test {
 protected:
  testing::TempFolder root;
  PosixFileSystem files{root.path()};
};

TEST_F(UpdateApplicationTest, ClearFolderAttributesResetsOnlyTheFilesDirectlyInTheFolder) {
  const auto top = root.write("c/addon/scenery/a.bgl", "a");
  const auto nested = root.write("c/addon/scenery/sub/b.bgl", "b");
  makeReadOnly(top);
  makeReadOnly(nested);
  ClearFolderAttributes(files, "C:\\addon\\scenery\\");
  EXPECT_FALSE(readOnly(top));
  EXPECT_TRUE(readOnly(nested));
}

TEST_F(UpdateApplicationTest, ClearFolderAttributesOnAnEmptyOrMissingFolder) {
  root.makeFolder("c/addon/texture");
  EXPECT_NO_THROW(ClearFolderAttributes(files, "C:\\addon\\texture\\"));
  try {
    ClearFolderAttributes(files, "C:\\addon\\missing\\");
    FAIL() << "a missing folder must raise";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), error_number::kPathNotFound);
  }
}

TEST_F(UpdateApplicationTest, DeleteObsoleteFilesRemovesTableFilesIgnoringCaseAndNothingElse) {
  root.write("c/addon/scenery/TRVK_APT_EHAM.BGL", "x");  // differs in case from the table
  root.write("c/addon/scenery/Polders NL.bgl", "x");     // a name with a blank
  root.write("c/addon/scenery/qiro.bgl", "marker");
  root.write("c/addon/scenery/trvk_apt_eham.bgl.bak", "x");
  root.write("c/addon/texture/windmills.bgl", "x");
  root.write("c/addon/scenery/windmills.bgl/inner.txt", "a folder of a table name stays");
  DeleteObsoleteFiles(files, "C:\\addon\\scenery\\");
  std::set<std::string> left;
  for (const auto& entry : fs::recursive_directory_iterator(root.path() / "c/addon"))
    if (entry.is_regular_file()) left.insert(fs::relative(entry.path(), root.path()).string());
  EXPECT_EQ(left, (std::set<std::string>{"c/addon/scenery/qiro.bgl",
                                         "c/addon/scenery/trvk_apt_eham.bgl.bak",
                                         "c/addon/texture/windmills.bgl",
                                         "c/addon/scenery/windmills.bgl/inner.txt"}));
}

TEST_F(UpdateApplicationTest, DeleteObsoleteFilesNeverFails) {
  EXPECT_NO_THROW(DeleteObsoleteFiles(files, "C:\\nowhere\\scenery\\"));
  const auto locked = root.write("c/addon/scenery/bridges1.bgl", "x");
  root.write("c/addon/scenery/bridges2.bgl", "x");
  makeReadOnly(locked);
  EXPECT_NO_THROW(DeleteObsoleteFiles(files, "C:\\addon\\scenery\\"));
  EXPECT_TRUE(fs::exists(locked)) << "a read-only file is left when its attributes were not reset";
  EXPECT_FALSE(fs::exists(root.path() / "c/addon/scenery/bridges2.bgl"));
}

TEST_F(UpdateApplicationTest, AReadOnlyObsoleteFileGoesOnceItsAttributesAreReset) {
  makeReadOnly(root.write("c/addon/scenery/exclude1.xcl", "x"));
  ClearFolderAttributes(files, "C:\\addon\\scenery\\");
  DeleteObsoleteFiles(files, "C:\\addon\\scenery\\");
  EXPECT_FALSE(fs::exists(root.path() / "c/addon/scenery/exclude1.xcl"));
}

// Links in an add-on folder, to a read-only file outside it, under the names the preparation
// resets, deletes as obsolete and deletes as staging leftovers: the links stay, and the file
// they point to keeps its content and its attributes.
TEST_F(UpdateApplicationTest, LinksAreNeitherResetNorDeletedAndWhatTheyPointToStaysAsItWas) {
  const auto outside = root.write("c/elsewhere/keep.txt", "the user's own");
  makeReadOnly(outside);
  const fs::path scenery = root.path() / "c/addon/scenery";
  fs::create_directories(scenery);
  for (const char* name : {"a.bgl", "exclude1.xcl", "~tvk0badf00d.tmp"})
    fs::create_symlink(outside, scenery / name);
  ClearFolderAttributes(files, "C:\\addon\\scenery\\");
  DeleteObsoleteFiles(files, "C:\\addon\\scenery\\");
  RemoveStagingLeftovers(files, "C:\\addon\\scenery\\");
  for (const char* name : {"a.bgl", "exclude1.xcl", "~tvk0badf00d.tmp"})
    EXPECT_TRUE(fs::is_symlink(scenery / name)) << name;
  EXPECT_TRUE(readOnly(outside));
  EXPECT_EQ(testing::readFile(outside), "the user's own");
}

TEST(ObsoleteFileTable, HasTheShapeOfTheAddOnsEarlierFiles) {
  auto endsWith = [](std::string_view name, std::string_view end) {
    return name.size() >= end.size() && name.substr(name.size() - end.size()) == end;
  };
  int bgl = 0, xcl = 0, dat = 0, prefixed = 0, blanks = 0, capitals = 0;
  std::set<std::string> folded;
  for (const std::string_view name : kObsoleteFiles) {
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bgl += endsWith(lower, ".bgl");
    xcl += endsWith(lower, ".xcl");
    dat += endsWith(lower, ".dat");
    prefixed += name.rfind("trvk_", 0) == 0;
    blanks += name.find(' ') != std::string_view::npos;
    capitals += lower != name;
    EXPECT_GE(name.size(), 8u) << name;
    EXPECT_LE(name.size(), 21u) << name;
    EXPECT_EQ(name.find_first_of("\\/:*?"), std::string_view::npos) << name;
    EXPECT_NE(lower, "qiro.bgl") << "the marker must never be deleted";
    folded.insert(lower);
  }
  EXPECT_EQ(bgl, 36);
  EXPECT_EQ(xcl, 5);
  EXPECT_EQ(dat, 1);
  EXPECT_EQ(prefixed, 20);
  EXPECT_EQ(blanks, 3);
  EXPECT_EQ(capitals, 12);
  EXPECT_EQ(folded.size(), kObsoleteFiles.size()) << "no two names may differ only in case";
}

}  // namespace
}  // namespace tarvik
