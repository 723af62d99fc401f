// The Win32 file system on real files: attributes, deletion, listing and reading text.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "platform/runtime_error.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"
#include "tests/support/temp_folder.h"

namespace tarvik {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

constexpr DWORD kReadOnlyHiddenSystem =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class Win32FileSystemTest : public ::testing::Test {
 protected:
  // The Windows path of a file or folder below the temporary folder, as UTF-8.
  std::string pathOf(const std::string& relative) const {
    return narrow((root.path() / fs::path(relative).make_preferred()).wstring());
  }
  DWORD attributesOf(const std::string& relative) const {
    return GetFileAttributesW(widen(pathOf(relative)).c_str());
  }
  void setAttributes(const std::string& relative, DWORD attributes) const {
    ASSERT_TRUE(SetFileAttributesW(widen(pathOf(relative)).c_str(), attributes));
    ASSERT_EQ(attributesOf(relative) & kReadOnlyHiddenSystem, attributes & kReadOnlyHiddenSystem)
        << "the file system must keep the attributes";
  }
  int32_t errorNumberOf(const std::function<void()>& operation) {
    try {
      operation();
    } catch (const RuntimeError& error) {
      return error.number();
    }
    return 0;
  }

  testing::TempFolder root;
  std::unique_ptr<FileSystem> files = makeWin32FileSystem();
};

TEST_F(Win32FileSystemTest, ResetsReadOnlyHiddenAndSystemFilesToNormal) {
  root.write("addon/scenery/readonly.bgl", "1");
  root.write("addon/scenery/hidden.bgl", "2");
  root.write("addon/scenery/system.bgl", "3");
  root.write("addon/scenery/all three.bgl", "4");
  setAttributes("addon/scenery/readonly.bgl", FILE_ATTRIBUTE_READONLY);
  setAttributes("addon/scenery/hidden.bgl", FILE_ATTRIBUTE_HIDDEN);
  setAttributes("addon/scenery/system.bgl", FILE_ATTRIBUTE_SYSTEM);
  setAttributes("addon/scenery/all three.bgl", kReadOnlyHiddenSystem);
  EXPECT_EQ(*files->attributes(pathOf("addon/scenery/all three.bgl")) & kReadOnlyHiddenSystem,
            kReadOnlyHiddenSystem);

  const auto listed = files->filesIn(pathOf("addon/scenery") + "\\");
  EXPECT_EQ(listed.size(), 4u) << "hidden and system files are listed too";
  for (const std::string& file : listed) files->setNormalAttributes(file);
  for (const std::string name : {"readonly", "hidden", "system", "all three"})
    EXPECT_EQ(attributesOf("addon/scenery/" + name + ".bgl") & kReadOnlyHiddenSystem, 0u) << name;
}

TEST_F(Win32FileSystemTest, ListsOnlyTheFilesDirectlyInTheFolder) {
  root.write("addon/scenery/top.bgl", "1");
  root.write("addon/scenery/sub/below.bgl", "2");
  setAttributes("addon/scenery/sub/below.bgl", FILE_ATTRIBUTE_READONLY);
  const std::string folder = pathOf("addon/scenery");
  EXPECT_THAT(files->filesIn(folder + "\\"), ElementsAre(folder + "\\top.bgl"));
  EXPECT_THAT(files->filesIn(folder), ElementsAre(folder + "\\top.bgl"));
  for (const std::string& file : files->filesIn(folder)) files->setNormalAttributes(file);
  EXPECT_EQ(attributesOf("addon/scenery/sub/below.bgl") & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))
      << "files of a sub-folder stay untouched";
  EXPECT_THAT(files->filesIn(pathOf("addon/scenery/sub")),
              ElementsAre(folder + "\\sub\\below.bgl"));
}

TEST_F(Win32FileSystemTest, AnEmptyFolderHasNoFilesAndAMissingOneRaises76) {
  root.makeFolder("addon/texture");
  EXPECT_TRUE(files->filesIn(pathOf("addon/texture")).empty());
  EXPECT_EQ(errorNumberOf([&] { files->filesIn(pathOf("addon/missing") + "\\"); }),
            error_number::kPathNotFound);
  root.write("addon/file.bgl", "x");
  EXPECT_EQ(errorNumberOf([&] { files->filesIn(pathOf("addon/file.bgl")); }),
            error_number::kPathNotFound);
}

TEST_F(Win32FileSystemTest, DeletesIgnoringCaseAndNamesWithBlanks) {
  const fs::path lower = root.write("addon/scenery/old.bgl", "x");
  const fs::path blank = root.write("addon/scenery/old area.bgl", "x");
  files->deleteFile(pathOf("addon/SCENERY/OLD.BGL"));
  files->deleteFile(pathOf("addon/scenery/Old Area.bgl"));
  EXPECT_FALSE(fs::exists(lower));
  EXPECT_FALSE(fs::exists(blank));
  EXPECT_EQ(errorNumberOf([&] { files->deleteFile(pathOf("addon/scenery/old.bgl")); }),
            error_number::kFileNotFound);
}

TEST_F(Win32FileSystemTest, AReadOnlyFileCannotBeDeletedUntilMadeNormal) {
  const fs::path file = root.write("addon/scenery/locked.bgl", "x");
  setAttributes("addon/scenery/locked.bgl", FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(errorNumberOf([&] { files->deleteFile(pathOf("addon/scenery/locked.bgl")); }),
            error_number::kPermissionDenied);
  EXPECT_TRUE(fs::exists(file));
  files->setNormalAttributes(pathOf("addon/scenery/LOCKED.bgl"));
  files->deleteFile(pathOf("addon/scenery/locked.bgl"));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(errorNumberOf([&] { files->setNormalAttributes(pathOf("addon/scenery/locked.bgl")); }),
            error_number::kFileNotFound);
}

TEST_F(Win32FileSystemTest, TellsFilesFromFoldersAndKnowsTheirSize) {
  root.writeSized("addon/scenery/qiro.bgl", 1071681);
  root.makeFolder("addon/scenery/folder.bgl");
  EXPECT_TRUE(files->fileExists(pathOf("addon/scenery/qiro.bgl")));
  EXPECT_TRUE(files->fileExists(pathOf("ADDON/Scenery/QIRO.BGL")));
  EXPECT_FALSE(files->fileExists(pathOf("addon/scenery/folder.bgl")));
  EXPECT_FALSE(files->fileExists(pathOf("addon/scenery")));
  EXPECT_FALSE(files->fileExists(pathOf("addon/scenery/missing.bgl")));
  EXPECT_EQ(files->fileSize(pathOf("addon/scenery/qiro.bgl")), 1071681u);
  EXPECT_NE(errorNumberOf([&] { files->fileSize(pathOf("addon/scenery/missing.bgl")); }), 0);
  EXPECT_NE(errorNumberOf([&] { files->fileSize(pathOf("addon/scenery/folder.bgl")); }), 0);
  EXPECT_TRUE(files->attributes(pathOf("addon/scenery")).has_value());
  EXPECT_FALSE(files->attributes(pathOf("addon/nothing")).has_value());
  EXPECT_FALSE(files->attributes("").has_value());
}

TEST_F(Win32FileSystemTest, ReadsLinesEndedByCrLfLoneCrAndLoneLf) {
  root.write("sim/scenery.cfg", "[Area.001]\r\nLocal=A\rLocal=B\nLocal=C  \r\n\r\nLast");
  EXPECT_THAT(files->readLines(pathOf("sim/scenery.cfg")),
              ElementsAre("[Area.001]", "Local=A", "Local=B", "Local=C  ", "", "Last"));
  root.write("sim/empty.cfg", "");
  EXPECT_TRUE(files->readLines(pathOf("sim/empty.cfg")).empty());
  EXPECT_NE(errorNumberOf([&] { files->readLines(pathOf("sim/missing.cfg")); }), 0);
  root.makeFolder("sim/folder.cfg");
  EXPECT_NE(errorNumberOf([&] { files->readLines(pathOf("sim/folder.cfg")); }), 0);
}

TEST_F(Win32FileSystemTest, ReadsTextInTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "the system's code page is " << GetACP();
  root.write("sim/scenery.cfg", "Local=D:\\\xC4rea\r\n");  // "Ärea" in code page 1252
  EXPECT_THAT(files->readLines(pathOf("sim/scenery.cfg")), ElementsAre("Local=D:\\\xC3\x84rea"));
}

TEST_F(Win32FileSystemTest, StoredPathSpellsEachExistingNameAsStoredAndKeepsTheRest) {
  root.write("Addon Scenery/Tarvik/scenery/Area.BGL", "x");
  std::string listed = pathOf("addon scenery/tarvik/scenery/area.bgl");
  const std::size_t rootLength = pathOf("").size();
  for (std::size_t i = rootLength; i < listed.size(); ++i)
    listed[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(listed[i])));
  EXPECT_EQ(files->storedPath(listed), pathOf("Addon Scenery/Tarvik/scenery/Area.BGL"));
  EXPECT_EQ(files->storedPath(pathOf("addon scenery/TARVIK/") + "missing\\More"),
            pathOf("Addon Scenery/Tarvik/") + "missing\\More");
  EXPECT_EQ(files->storedPath("relative\\name"), "relative\\name");
}

}  // namespace
}  // namespace tarvik
