// The run's progress in bytes: which library texts count, and the whole run from the listing
// through the payload test and every ticked folder to the full bar.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/handlers.h"
#include "app/installer_window.h"
#include "app/run_progress.h"
#include "platform/posix/posix_file_system.h"
#include "tests/app/scripted_unzip_library.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fake_write_access.h"
#include "tests/support/recording_window.h"
#include "tests/support/temp_folder.h"

namespace tarvik {
namespace {

using ::testing::ElementsAre;
using Progress = testing::RecordingWindow::Progress;

TEST(RunProgress, CountsNamedMembersWithinTheStepAndEachFinishedStepWhole) {
  std::vector<std::string> events;
  testing::RecordingWindow window{events};
  RunProgress progress(window, {{"scenery/a.bgl", 100}, {"texture/b.bmp", 300}}, 2);
  progress.libraryPrinted(" extracting: Texture\\B.bmp  ");  // any case, either separator
  progress.libraryPrinted("error: texture/missing.bmp");  // not a member: no change
  progress.libraryPrinted("    testing: scenery/a.bgl   OK");
  progress.libraryPrinted("  inflating: scenery\\a.bgl");  // never beyond the step
  progress.stepFinished();
  progress.stepFinished();
  progress.stepFinished();  // never beyond the run
  EXPECT_THAT(window.progress, ElementsAre(Progress{0, 800}, Progress{300, 800},
                                           Progress{400, 800}, Progress{400, 800},
                                           Progress{400, 800}, Progress{800, 800},
                                           Progress{800, 800}));
}

TEST(RunProgress, TheWholeRunGoesFromTheListingToTheFullBarBeforeTheSuccessMessage) {
  std::vector<std::string> events;
  testing::TempFolder root;
  PosixFileSystem files{root.path()};
  testing::RecordingWindow window{events};
  testing::FakeRegistry registry;
  testing::ScriptedUnzipLibrary library{events};
  testing::FakeWriteAccess access;
  Tarvik_installer_main installer{window, registry, files, access, "C:\\tarvik_installer.exe"};
  for (const std::string name : {"a", "b"}) {
    root.write("c/" + name + "/scenery/x.bgl", "x");
    root.write("c/" + name + "/texture/y.bmp", "y");
    testing::addCandidate(window, "c:\\" + name, true);
  }
  library.listing = {{"scenery/", 0}, {"scenery/area.bgl", 1000}, {"texture/ground.bmp", 24}};
  library.script = {
      {0, {"    testing: scenery/area.bgl   OK", "    testing: texture/ground.bmp   OK"}},
      {0, {"  inflating: scenery\\area.bgl"}}};

  runHandler(window, [&] { installer.Command1_Click(); });

  EXPECT_EQ(events.at(1), "list C:\\tarvik_installer.exe");
  EXPECT_THAT(window.progress,
              ElementsAre(Progress{0, 3072}, Progress{1000, 3072}, Progress{1024, 3072},
                          Progress{1024, 3072}, Progress{2024, 3072}, Progress{2048, 3072},
                          Progress{3072, 3072}));
  EXPECT_EQ(window.messages.at(0).text, "Update installed successfully");
}

}  // namespace
}  // namespace tarvik
