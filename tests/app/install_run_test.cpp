// The install run of the main window, over real folders, with a recording window and an unzip
// library double: which folders are touched, in which order, and what the user is told.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/handlers.h"
#include "app/installer_texts.h"
#include "app/installer_window.h"
#include "platform/posix/posix_file_system.h"
#include "platform/runtime_error.h"
#include "tests/app/recording_file_system.h"
#include "tests/app/scripted_unzip_library.h"
#include "tests/support/fake_registry.h"
#include "tests/support/recording_window.h"
#include "tests/support/temp_folder.h"

namespace tarvik {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

constexpr const char* kInstaller = "C:\\Downloads\\tarvik_installer (1).exe";

class InstallRunTest : public ::testing::Test {
 protected:
  void addFolder(const std::string& name, bool ticked) {
    root.write("c/addons/" + name + "/scenery/area.bgl", "a");
    root.write("c/addons/" + name + "/texture/ground.bmp", "t");
    testing::addCandidate(window, "c:\\addons\\" + name, ticked);
  }
  void click() {
    runHandler(window, [this] { installer.Command1_Click(); });
  }
  // The log without yields and listings: the changes and the library calls.
  std::vector<std::string> changes() const {
    std::vector<std::string> kept;
    for (const auto& event : events)
      if (event != "yield" && event.rfind("list ", 0) != 0) kept.push_back(event);
    return kept;
  }

  std::vector<std::string> events;
  testing::TempFolder root;
  PosixFileSystem posix{root.path()};
  testing::RecordingFileSystem files{posix, events};
  testing::RecordingWindow window{events};
  testing::FakeRegistry registry;
  testing::ScriptedUnzipLibrary library{events};
  Tarvik_installer_main installer{window, registry, files, kInstaller};
};

TEST_F(InstallRunTest, UpdatesTickedFoldersInListOrderEachCompletelyBeforeTheNext) {
  addFolder("a", true);
  addFolder("b", false);
  addFolder("c", true);
  root.write("c/addons/c/scenery/trvk_data.dat", "old");
  fs::permissions(root.path() / "c/addons/c/scenery/trvk_data.dat", fs::perms::owner_write,
                  fs::perm_options::remove);

  click();

  EXPECT_THAT(changes(),
              ElementsAre(std::string("test ") + kInstaller,
                          "normal c:\\addons\\a\\scenery\\area.bgl",
                          "normal c:\\addons\\a\\texture\\ground.bmp",
                          std::string("unzip ") + kInstaller + " -> c:\\addons\\a",
                          "normal c:\\addons\\c\\scenery\\area.bgl",
                          "normal c:\\addons\\c\\scenery\\trvk_data.dat",
                          "normal c:\\addons\\c\\texture\\ground.bmp",
                          "delete c:\\addons\\c\\scenery\\trvk_data.dat",
                          std::string("unzip ") + kInstaller + " -> c:\\addons\\c",
                          "message: Update installed successfully", "end"));
  EXPECT_FALSE(fs::exists(root.path() / "c/addons/c/scenery/trvk_data.dat"));
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].title, "tarvik_installer");
  EXPECT_FALSE(window.messages[0].warning);
}

TEST_F(InstallRunTest, ExtractsWithFolderNamesKeptAndOverwriteOnAfterTestingThePayloadOnce) {
  addFolder("a", true);
  addFolder("b", true);
  click();
  ASSERT_EQ(library.calls.size(), 3u);
  EXPECT_TRUE(library.calls[0].test);
  for (const auto& call : library.calls) {
    EXPECT_EQ(call.archive, kInstaller);
    EXPECT_FALSE(call.listOnly);
    EXPECT_EQ(call.includeCount, 0);
  }
  for (std::size_t i = 1; i < 3; ++i) {
    EXPECT_FALSE(library.calls[i].test);
    EXPECT_TRUE(library.calls[i].keepFolders);
    EXPECT_TRUE(library.calls[i].overwrite);
  }
}

TEST_F(InstallRunTest, HidesTheSelectionAndYieldsBeforeAnyWork) {
  addFolder("a", true);
  click();
  EXPECT_EQ(events.front(), "yield");
  for (const ControlId hidden :
       {ControlId::Command1, ControlId::AddFolder, ControlId::List1, ControlId::List2,
        ControlId::Label2, ControlId::Label3, ControlId::Label4, ControlId::Label5,
        ControlId::Label6})
    EXPECT_FALSE(window.visible(hidden)) << static_cast<int>(hidden);
  for (const ControlId shown : {ControlId::Picture1, ControlId::Label1, ControlId::Label7,
                                ControlId::Label8, ControlId::Label9})
    EXPECT_TRUE(window.visible(shown)) << static_cast<int>(shown);
  EXPECT_TRUE(installer.running());
}

TEST_F(InstallRunTest, ShowsEachLibraryTextInTheStatusLineAndEmptiesItAfterEachFolder) {
  addFolder("a", true);
  library.script = {{0, {"    testing: scenery/area.bgl   OK"}},
                    {0, {"  inflating: scenery\\area.bgl", "  inflating: texture\\ground.bmp"}}};
  click();
  EXPECT_THAT(window.statusTexts,
              ElementsAre("    testing: scenery\\area.bgl   OK", "", "  inflating: scenery\\area.bgl",
                          "  inflating: texture\\ground.bmp", ""));
  // One yield after hiding, one per printed text, one after the folder.
  EXPECT_EQ(window.yields, 1 + 3 + 1);
}

TEST_F(InstallRunTest, TwoTickedEntriesForTheSameFolderProcessItTwice) {
  addFolder("a", true);
  testing::addCandidate(window, "c:\\addons\\a", true);
  root.write("c/addons/a/scenery/windmills.bgl", "old");
  click();
  const auto log = changes();
  EXPECT_EQ(std::count(log.begin(), log.end(), "delete c:\\addons\\a\\scenery\\windmills.bgl"), 1);
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& e) { return e.rfind("unzip ", 0) == 0; }),
            2);
  EXPECT_TRUE(window.ended);
}

TEST_F(InstallRunTest, NothingTickedSaysSoAndLeavesTheWindowAsItIs) {
  addFolder("a", false);
  click();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, kNoFolderSelected);
  EXPECT_TRUE(library.calls.empty());
  EXPECT_TRUE(window.visible(ControlId::Command1));
  EXPECT_TRUE(window.visible(ControlId::List2));
  EXPECT_FALSE(window.visible(ControlId::Label7));
  EXPECT_FALSE(window.ended);
  EXPECT_FALSE(installer.running());
  EXPECT_EQ(window.yields, 0);

  // Ticking a folder afterwards lets the same window run the update.
  window.List2.setSelected(0, true);
  click();
  EXPECT_EQ(window.messages.back().text, kUpdateInstalled);
}

TEST_F(InstallRunTest, EmptyListsPointTheUserToTheFolderPicker) {
  click();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, kNoFolderFound);
  EXPECT_FALSE(window.ended);
  installer.AddFolder_Click();
  EXPECT_EQ(window.pickerOpened, 1);
}

TEST_F(InstallRunTest, UnreadablePayloadChangesNothingAndSaysWhy) {
  addFolder("a", true);
  root.write("c/addons/a/scenery/windmills.bgl", "old");
  library.script = {{51, {"    testing: scenery/area.bgl", "error: CRC error in scenery/x.bgl"}}};
  click();
  EXPECT_THAT(changes(), ElementsAre(std::string("test ") + kInstaller, "warning", "end"));
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_TRUE(window.messages[0].warning);
  EXPECT_THAT(window.messages[0].text, HasSubstr("cannot be read"));
  EXPECT_THAT(window.messages[0].text, HasSubstr("error: CRC error in scenery\\x.bgl"));
  EXPECT_THAT(window.messages[0].text, HasSubstr("Nothing was changed"));
  EXPECT_TRUE(fs::exists(root.path() / "c/addons/a/scenery/windmills.bgl"));
}

TEST_F(InstallRunTest, AFailedExtractionStopsTheRunThereAndNamesTheFolder) {
  addFolder("a", true);
  addFolder("b", true);
  addFolder("c", true);
  library.script = {{0, {}}, {0, {}}, {50, {"error: cannot write texture/x.bmp: disk full"}}};
  click();
  const auto log = changes();
  EXPECT_EQ(log.back(), "end");
  EXPECT_EQ(std::count(log.begin(), log.end(), "message: Update installed successfully"), 0);
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& e) { return e.find("addons\\c") != e.npos; }),
            0)
      << "the folder after the failed one stays untouched";
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_TRUE(window.messages[0].warning);
  EXPECT_THAT(window.messages[0].text, HasSubstr("c:\\addons\\b"));
  EXPECT_THAT(window.messages[0].text, HasSubstr("disk full"));
}

TEST_F(InstallRunTest, AMissingTextureFolderStopsWithTheRunTimeErrorReport) {
  addFolder("a", true);
  fs::remove_all(root.path() / "c/addons/a/texture");
  root.write("c/addons/a/scenery/windmills.bgl", "old");
  click();
  EXPECT_THAT(changes(), ElementsAre(std::string("test ") + kInstaller,
                                     "normal c:\\addons\\a\\scenery\\area.bgl",
                                     "normal c:\\addons\\a\\scenery\\windmills.bgl", "warning",
                                     "end"));
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Run-time error '76':\n\nPath not found");
  EXPECT_TRUE(fs::exists(root.path() / "c/addons/a/scenery/windmills.bgl"));
}

TEST_F(InstallRunTest, AMissingLibraryStopsBeforeAnyFolderIsTouched) {
  addFolder("a", true);
  struct NoLibrary : LibraryLoader {
    std::unique_ptr<DynamicLibrary> load(const std::string&) override {
      throw RuntimeError(error_number::kDllNotFound, "File not found: tarvik_unzip.dll");
    }
  };
  mUnzip::UseLibraryLoader(std::make_shared<NoLibrary>());
  click();
  EXPECT_THAT(changes(), ElementsAre("warning", "end"));
  EXPECT_EQ(window.messages.at(0).text, "Run-time error '48':\n\nFile not found: tarvik_unzip.dll");
}

// The index must reach the last of kMaxListEntries entries: a ticked folder there is updated.
TEST_F(InstallRunTest, AFullListIsVisitedToItsLastEntry) {
  addFolder("first", true);
  for (int i = 2; i < kMaxListEntries; ++i)
    testing::addCandidate(window, "c:\\addons\\idle", false);
  addFolder("last", true);
  ASSERT_EQ(window.List1.count(), kMaxListEntries);
  click();
  const auto log = changes();
  EXPECT_EQ(std::count(log.begin(), log.end(),
                       std::string("unzip ") + kInstaller + " -> c:\\addons\\last"),
            1);
  EXPECT_THAT(log, ::testing::Contains("message: Update installed successfully"));
}

}  // namespace
}  // namespace tarvik
