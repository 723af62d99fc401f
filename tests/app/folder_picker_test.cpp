// The folder picker's handlers and what they add to the main window's lists.

#include "app/folder_picker.h"

#include <gtest/gtest.h>

#include "app/installer_texts.h"
#include "tests/support/memory_check_list.h"

namespace tarvik {
namespace {

class FakePickerControls : public FolderPickerControls {
 public:
  std::string drive() const override { return chosenDrive; }
  std::string directoryPath() const override { return directory; }
  void setDirectoryPath(const std::string& path) override { directory = path; }
  void setFileListPath(const std::string& path) override { fileList = path; }
  void hide() override { hidden = true; }

  std::string chosenDrive = "c:";
  std::string directory = "C:\\";
  std::string fileList;
  bool hidden = false;
};

class FolderPickerTest : public ::testing::Test {
 protected:
  FakePickerControls controls;
  testing::MemoryCheckList List1;
  testing::MemoryCheckList List2;
  dlgSelectDir dialog{controls, List1, List2};
};

TEST_F(FolderPickerTest, DriveAndDirectoryChangesFollowEachOther) {
  controls.chosenDrive = "d:";
  dialog.Drive1_Change();
  EXPECT_EQ(controls.directory, "d:");
  controls.directory = "D:\\Addons\\Tarvik";
  dialog.Dir1_Change();
  EXPECT_EQ(controls.fileList, "D:\\Addons\\Tarvik");
}

TEST_F(FolderPickerTest, SelectingAddsATickedEntryToBothLists) {
  List1.addItem("c:\\found");
  List2.addItem("found");
  controls.directory = "D:\\Addons\\Tarvik";
  dialog.cmdselecteer_Click();
  dialog.cmdselecteer_Click();

  EXPECT_TRUE(controls.hidden);
  EXPECT_EQ(List1.texts(),
            (std::vector<std::string>{"c:\\found", "D:\\Addons\\Tarvik", "D:\\Addons\\Tarvik"}));
  const std::string line = "  Manualy                    Fs2002 manualy...         D:\\Addons\\Tarvik";
  EXPECT_EQ(List2.text(1), line);
  EXPECT_EQ(List2.text(2), line);
  EXPECT_EQ(kPickedSimulatorColumn.size(), 28u);
  EXPECT_EQ(kPickedVersionColumn.size(), 27u);
  EXPECT_EQ(List2.ticks(), (std::vector<bool>{false, true, true}));
}

TEST_F(FolderPickerTest, CancelOnlyHides) {
  dialog.cmdAnnuleer_Click();
  EXPECT_TRUE(controls.hidden);
  EXPECT_EQ(List1.count(), 0);
  EXPECT_EQ(List2.count(), 0);
}

}  // namespace
}  // namespace tarvik
