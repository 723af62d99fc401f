// The install run of the main window, over real folders, with a recording window and an unzip
// library double: which folders are touched, in which order, and what the user is told.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/exit_codes.h"
#include "app/handover.h"
#include "app/handlers.h"
#include "app/installer_texts.h"
#include "app/installer_window.h"
#include "platform/posix/posix_file_system.h"
#include "platform/runtime_error.h"
#include "platform/simulator_view.h"
#include "tests/app/recording_file_system.h"
#include "tests/app/scripted_unzip_library.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fake_write_access.h"
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
  // The log without yields and listings: the changes and the library calls that change files.
  std::vector<std::string> changes() const {
    std::vector<std::string> kept;
    for (const auto& event : events)
      if (event != "yield" && event.rfind("list ", 0) != 0 && event.rfind("directory ", 0) != 0)
        kept.push_back(event);
    return kept;
  }
  static std::string allButMarker(const std::string& folder) {
    return std::string("unzip ") + kInstaller + " -> " + folder + " [2 names]";
  }
  static std::string markerAlone(const std::string& folder) {
    return std::string("unzip ") + kInstaller + " -> " + folder + " [scenery/qiro.bgl]";
  }

  std::vector<std::string> events;
  testing::TempFolder root;
  PosixFileSystem posix{root.path()};
  testing::RecordingFileSystem files{posix, events};
  testing::RecordingWindow window{events};
  testing::FakeRegistry registry;
  testing::ScriptedUnzipLibrary library{events};
  testing::FakeWriteAccess access;
  Tarvik_installer_main installer{window, registry, files, access, kInstaller};
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
                          allButMarker("c:\\addons\\a"), markerAlone("c:\\addons\\a"),
                          "normal c:\\addons\\c\\scenery\\area.bgl",
                          "normal c:\\addons\\c\\scenery\\trvk_data.dat",
                          "normal c:\\addons\\c\\texture\\ground.bmp",
                          "delete c:\\addons\\c\\scenery\\trvk_data.dat",
                          allButMarker("c:\\addons\\c"), markerAlone("c:\\addons\\c"),
                          "message: Update installed successfully", "end"));
  EXPECT_EQ(window.exitCode, exit_code::kUpdated);
  EXPECT_FALSE(fs::exists(root.path() / "c/addons/c/scenery/trvk_data.dat"));
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].title, "tarvik_installer");
  EXPECT_FALSE(window.messages[0].warning);
}

TEST_F(InstallRunTest, ExtractsWithFolderNamesKeptAndOverwriteOnAfterTestingThePayloadOnce) {
  addFolder("a", true);
  addFolder("b", true);
  click();
  std::vector<testing::RecordedCall> extractions;
  for (const auto& call : library.calls) {
    EXPECT_EQ(call.archive, kInstaller);
    if (!call.test) extractions.push_back(call);
  }
  EXPECT_TRUE(library.calls.at(0).test);
  EXPECT_EQ(std::count_if(library.calls.begin(), library.calls.end(),
                          [](const auto& call) { return call.test; }),
            1);
  ASSERT_EQ(extractions.size(), 4u);
  for (const auto& call : extractions) {
    EXPECT_TRUE(call.keepFolders);
    EXPECT_TRUE(call.overwrite);
  }
  // Every member but the marker, then the marker alone.
  EXPECT_THAT(extractions[0].includeNames, ElementsAre("scenery/area.bgl", "texture/ground.bmp"));
  EXPECT_THAT(extractions[1].includeNames, ElementsAre("scenery/qiro.bgl"));
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
  library.script.push_back({0, {"  inflating: scenery\\qiro.bgl"}});
  click();
  EXPECT_THAT(window.statusTexts,
              ElementsAre("    testing: scenery\\area.bgl   OK", "",
                          "  inflating: scenery\\area.bgl", "  inflating: texture\\ground.bmp",
                          "  inflating: scenery\\qiro.bgl", ""));
  // One yield after hiding, one per printed text, one after the folder.
  EXPECT_EQ(window.yields, 1 + 4 + 1);
}

TEST_F(InstallRunTest, TwoTickedEntriesForTheSameFolderProcessItTwice) {
  addFolder("a", true);
  testing::addCandidate(window, "c:\\addons\\a", true);
  root.write("c/addons/a/scenery/windmills.bgl", "old");
  click();
  const auto log = changes();
  EXPECT_EQ(std::count(log.begin(), log.end(), "delete c:\\addons\\a\\scenery\\windmills.bgl"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), markerAlone("c:\\addons\\a")), 2);
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
  EXPECT_EQ(window.exitCode, exit_code::kPayloadUnreadable);
}

TEST_F(InstallRunTest, AFailedExtractionStopsTheRunThereAndNamesTheFolder) {
  addFolder("a", true);
  addFolder("b", true);
  addFolder("c", true);
  library.script = {{0, {}}, {0, {}}, {0, {}}, {50, {"error: cannot write texture/x.bmp: disk full"}}};
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
  EXPECT_EQ(std::count(log.begin(), log.end(), markerAlone("c:\\addons\\b")), 0)
      << "a folder whose update failed keeps its old marker";
  EXPECT_EQ(window.exitCode, exit_code::kFolderFailed);
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
  EXPECT_EQ(window.exitCode, exit_code::kFolderFailed);
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
  EXPECT_EQ(window.exitCode, exit_code::kLibraryRefused);
}

TEST_F(InstallRunTest, CancelAtAFailedCheckEndsTheProgramBeforeAnyFolderIsTouched) {
  addFolder("a", true);
  addFolder("b", true);
  root.write("c/addons/b/scenery/windmills.bgl", "old");
  access.heldFiles = {"c:\\addons\\b\\scenery\\area.bgl"};
  window.retryAnswers = {RetryAnswer::kCancel};
  click();
  EXPECT_THAT(changes(), ElementsAre(std::string("test ") + kInstaller, "question", "end"));
  ASSERT_EQ(window.questions.size(), 1u);
  EXPECT_THAT(window.questions[0].first, HasSubstr("c:\\addons\\b\\scenery\\area.bgl"));
  EXPECT_FALSE(window.questions[0].second);
  EXPECT_EQ(window.exitCode, exit_code::kCancelled);
  EXPECT_TRUE(fs::exists(root.path() / "c/addons/b/scenery/windmills.bgl"));
}

TEST_F(InstallRunTest, RetryChecksAgainAndGoesOnOnceTheFileIsFree) {
  addFolder("a", true);
  access.heldFiles = {"c:\\addons\\a\\scenery\\area.bgl"};
  window.retryAnswers = {RetryAnswer::kRetry, RetryAnswer::kRetry};
  // The program holding the file lets go while the second question is up.
  window.whileAsked = [this] {
    if (window.questions.size() == 2) access.heldFiles.clear();
  };
  click();
  EXPECT_EQ(window.questions.size(), 2u);
  EXPECT_THAT(changes(), ::testing::Contains(markerAlone("c:\\addons\\a")));
  EXPECT_EQ(window.exitCode, exit_code::kUpdated);
}

TEST_F(InstallRunTest, AProtectedFolderCanBeHandedToAnInstanceWithAdministratorRights) {
  addFolder("a", true);
  access.deniedPaths = {"c:\\addons\\a\\texture"};
  access.restartSucceeds = false;  // the user declines Windows' question the first time
  window.retryAnswers = {RetryAnswer::kRunAsAdministrator, RetryAnswer::kRunAsAdministrator};
  click();
  // Declined twice, then cancelled.
  ASSERT_EQ(window.questions.size(), 3u);
  EXPECT_TRUE(window.questions[0].second);
  EXPECT_EQ(access.restarts, 2);
  EXPECT_THAT(changes(), ElementsAre(std::string("test ") + kInstaller, "question", "question",
                                     "question", "end"));
  EXPECT_EQ(window.exitCode, exit_code::kCancelled);

  access.restartSucceeds = true;
  testing::RecordingWindow second{events};
  testing::addCandidate(second, "c:\\addons\\a", true);
  second.retryAnswers = {RetryAnswer::kRunAsAdministrator};
  Tarvik_installer_main again{second, registry, files, access, kInstaller};
  runHandler(second, [&again] { again.Command1_Click(); });
  EXPECT_EQ(second.exitCode, exit_code::kRestartedAsAdministrator);
  EXPECT_TRUE(second.messages.empty());
}

TEST_F(InstallRunTest, HandsTheListAsItStandsToTheNewInstanceWhichShowsExactlyThat) {
  addFolder("a", false);
  addFolder("b", true);
  testing::addCandidate(window, "m:\\tarvik", true);  // a mapped drive with a network path
  testing::addCandidate(window, "n:\\tarvik", true);  // one without
  access.networkPaths = {{"m:\\tarvik", "\\\\server\\scenery\\tarvik"}, {"n:\\tarvik", ""}};
  access.deniedPaths = {"c:\\addons\\b\\texture"};
  window.retryAnswers = {RetryAnswer::kRunAsAdministrator};
  Tarvik_installer_main installer{window, registry, files, access, kInstaller, "C:\\Store"};
  runHandler(window, [&installer] { installer.Command1_Click(); });
  ASSERT_EQ(window.exitCode, exit_code::kRestartedAsAdministrator);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_THAT(window.messages[0].text, HasSubstr("cannot reach these ticked folders"));
  EXPECT_THAT(window.messages[0].text, HasSubstr("n:\\tarvik"));

  const auto handover = handoverFromCommandLine(access.restartArguments);
  ASSERT_TRUE(handover);
  EXPECT_EQ(handover->virtualStore, "C:\\Store");
  const auto entry = [](const std::string& folder, bool ticked) {
    return HandedOverEntry{folder, "  Fs2000 (versie 7.0)     Tarvik versie 2.0         " + folder,
                           ticked};
  };
  EXPECT_THAT(handover->entries,
              ElementsAre(entry("c:\\addons\\a", false), entry("c:\\addons\\b", true),
                          entry("\\\\server\\scenery\\tarvik", true), entry("n:\\tarvik", false)));

  // The new instance shows the list as handed over, without looking for simulators.
  registry.setString("SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\8.0", "EXE path",
                     "C:\\Games\\FS2002");
  testing::RecordingWindow elevated{events};
  Tarvik_installer_main taken{elevated, registry, files, access, kInstaller, "", handover};
  runHandler(elevated, [&taken] { taken.Form_Load(); });
  EXPECT_TRUE(registry.opened().empty());
  ASSERT_EQ(elevated.list1().count(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(elevated.list1().text(i), handover->entries[i].folder);
    EXPECT_EQ(elevated.list2().text(i), handover->entries[i].displayLine);
    EXPECT_EQ(elevated.list2().selected(i), handover->entries[i].ticked);
  }
}

TEST_F(InstallRunTest, StagingFilesOfAnInterruptedRunAreRemovedBeforeTheFolderIsExtracted) {
  addFolder("a", true);
  root.write("c/addons/a/texture/~tvk0badf00d.tmp", "half a file");
  root.write("c/addons/a/texture/~tvk notes.tmp", "the user's");
  click();
  const auto log = changes();
  const auto removed = std::find(log.begin(), log.end(),
                                 "delete c:\\addons\\a\\texture\\~tvk0badf00d.tmp");
  ASSERT_NE(removed, log.end());
  EXPECT_LT(removed - log.begin(),
            std::find(log.begin(), log.end(), allButMarker("c:\\addons\\a")) - log.begin());
  EXPECT_TRUE(fs::exists(root.path() / "c/addons/a/texture/~tvk notes.tmp"));
  EXPECT_EQ(window.exitCode, exit_code::kUpdated);
}

TEST_F(InstallRunTest, AFailureOfTheMarkerAloneStillFailsTheFolder) {
  addFolder("a", true);
  library.script = {{0, {}}, {0, {}}, {50, {"error: cannot write scenery/qiro.bgl"}}};
  click();
  EXPECT_EQ(window.exitCode, exit_code::kFolderFailed);
  EXPECT_TRUE(window.messages.at(0).warning);
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
  EXPECT_EQ(std::count(log.begin(), log.end(), markerAlone("c:\\addons\\last")), 1);
  EXPECT_THAT(log, ::testing::Contains("message: Update installed successfully"));
}

// The run over the simulator's view of C:\\pf, which Windows virtualizes into C:\\store: the
// events are the file system's own, copies and real files apart.
class VirtualizedRunTest : public InstallRunTest {
 protected:
  void clickThroughTheView() {
    runHandler(window, [this] { viewInstaller.Command1_Click(); });
  }
  // The position of an event in the log, which must hold it.
  std::ptrdiff_t at(const std::string& event) const {
    const auto found = std::find(events.begin(), events.end(), event);
    EXPECT_NE(found, events.end()) << "no " << event << " in " << ::testing::PrintToString(events);
    return found - events.begin();
  }

  SimulatorView view{files, {"C:\\store", {"C:\\pf"}}};
  Tarvik_installer_main viewInstaller{window, registry, view, access, kInstaller};
};

TEST_F(VirtualizedRunTest, CopiesStopHidingEachPartOnlyOnceItIsWrittenAndTheMarkerLast) {
  for (const char* file : {"pf/a/scenery/area.bgl", "pf/a/scenery/qiro.bgl",
                           "pf/a/texture/ground.bmp", "store/pf/a/scenery/qiro.bgl",
                           "store/pf/a/texture/ground.bmp", "store/pf/a/scenery/trvk_data.dat"})
    root.write(std::string("c/") + file, "old");
  testing::addCandidate(window, "c:\\pf\\a", true);
  clickThroughTheView();

  EXPECT_EQ(window.exitCode, exit_code::kUpdated);
  const auto obsoleteCopy = at("delete C:\\store\\pf\\a\\scenery\\trvk_data.dat");
  const auto rest = at(allButMarker("c:\\pf\\a"));
  const auto textureCopy = at("delete C:\\store\\pf\\a\\texture\\ground.bmp");
  const auto textureFlush = at("flush C:\\store\\pf\\a\\texture");
  const auto marker = at(markerAlone("c:\\pf\\a"));
  const auto markerCopy = at("delete C:\\store\\pf\\a\\scenery\\qiro.bgl");
  const auto markerFlush = at("flush C:\\store\\pf\\a\\scenery");
  EXPECT_LT(obsoleteCopy, rest);
  EXPECT_LT(rest, textureCopy);
  EXPECT_LT(textureFlush, marker);
  EXPECT_LT(marker, markerCopy);
  EXPECT_LT(markerCopy, markerFlush);
  EXPECT_LT(markerFlush, at("message: Update installed successfully"));
  EXPECT_FALSE(fs::exists(root.path() / "c/store/pf/a/scenery") &&
               !fs::is_empty(root.path() / "c/store/pf/a/scenery"));
}

TEST_F(VirtualizedRunTest, AFolderOnlyInTheStoreIsUpdatedThere) {
  root.write("c/store/pf/b/scenery/qiro.bgl", "old");
  root.write("c/store/pf/b/texture/ground.bmp", "old");
  testing::addCandidate(window, "c:\\pf\\b", true);
  clickThroughTheView();
  EXPECT_EQ(window.exitCode, exit_code::kUpdated);
  at(allButMarker("C:\\store\\pf\\b"));
  EXPECT_TRUE(fs::exists(root.path() / "c/store/pf/b/texture/ground.bmp"));
}

}  // namespace
}  // namespace tarvik
