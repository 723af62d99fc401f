// The live folder picker: its frame and controls, the drive, folder and file lists, entering
// folders, and its buttons, which append a ticked entry to the main window's lists or just
// close the dialog; opened modally through "Add folder...".

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "app/installer_texts.h"
#include "app/win32/folder_picker_layout.h"
#include "app/win32/main_window_layout.h"
#include "platform/win32/wide_text.h"
#include "tests/win32/window_test_support.h"

namespace tarvik::testing {
namespace {

void expectTwips(int pixels, int twips, int dpi, const char* what) {
  EXPECT_NEAR(pixels, MulDiv(twips, dpi, 1440), 1) << what;
}

std::wstring lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

bool containsNoCase(const std::vector<std::wstring>& entries, const std::wstring& wanted) {
  return std::any_of(entries.begin(), entries.end(),
                     [&](const std::wstring& entry) { return lower(entry) == lower(wanted); });
}

class FolderPickerTest : public ::testing::Test {
 protected:
  FolderPickerTest() {
    live.temp.writeSized("Picked/scenery/qiro.bgl", 1071681);
    live.temp.write("Picked/texture/water.bmp", "bmp");
    live.temp.write("Picked/readme.txt", "read me");
  }

  FolderPickerWindow& picker() { return live.window->folderPicker(); }
  HWND control(PickerControl id) { return picker().control(id); }
  HWND mainControl(ControlId id) { return live.window->control(id); }
  int dpi() const { return live.window->dpi(); }

  // Double-clicks the entry of Dir1 that shows the folder's name.
  void enterFolder(const std::wstring& entry) {
    const HWND dir1 = control(PickerControl::Dir1);
    const LRESULT index = SendMessageW(dir1, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(entry.c_str()));
    ASSERT_NE(index, LB_ERR) << narrow(entry);
    SendMessageW(dir1, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(picker().handle(), WM_COMMAND,
                 MAKEWPARAM(static_cast<int>(PickerControl::Dir1), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(dir1));
  }

  LiveInstallerWindow live;
};

struct ExpectedControl {
  PickerControl control;
  const wchar_t* className;
  std::string_view text;
  int left, top, width, height;
};

const ExpectedControl kExpected[] = {
    {PickerControl::Dir1, L"ListBox", "", 2070, 420, 3195, 2790},
    {PickerControl::cmdselecteer, L"Button", "Select directory", 5400, 2580, 2115, 465},
    {PickerControl::cmdAnnuleer, L"Button", "Cancel", 5400, 3060, 2115, 465},
    {PickerControl::File1, L"ListBox", "", 5370, 480, 2925, 1650},
    {PickerControl::Drive1, L"ComboBox", "", 2070, 3330, 3195, 315},
    {PickerControl::Label1, L"Static", "Please select the Tarvik directory", 2160, 120, 2895, 585},
    {PickerControl::Picture1, L"Static", "", 150, 90, 1845, 3585},
};

TEST_F(FolderPickerTest, DialogHasTheCaptionSizeAndControlsOfItsTable) {
  const HWND dialog = picker().handle();
  EXPECT_FALSE(IsWindowVisible(dialog)) << "hidden until shown";
  EXPECT_EQ(windowText(dialog), L"Tarvik V2   official update 2");
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), live.window->handle());
  expectTwips(clientSize(dialog).cx, 8490, dpi(), "client width");
  expectTwips(clientSize(dialog).cy, 3825, dpi(), "client height");
  EXPECT_NE(GetClassLongPtrW(dialog, GCLP_HICON), 0u);

  for (const ExpectedControl& expected : kExpected) {
    const HWND window = control(expected.control);
    SCOPED_TRACE(static_cast<int>(expected.control));
    EXPECT_EQ(_wcsicmp(className(window).c_str(), expected.className), 0)
        << narrow(className(window));
    // A drop-down list's text is its chosen entry.
    if (expected.control != PickerControl::Drive1) {
      EXPECT_EQ(windowText(window), widen(expected.text));
    }
    const RECT rect = rectInParent(window);
    expectTwips(rect.left, expected.left, dpi(), "left");
    expectTwips(rect.top, expected.top, dpi(), "top");
    expectTwips(rect.right - rect.left, expected.width, dpi(), "width");
    // A drop-down list takes the height of its font.
    if (expected.control != PickerControl::Drive1) {
      expectTwips(rect.bottom - rect.top, expected.height, dpi(), "height");
    }
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
    EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(font.lfHeight, -MulDiv(825, dpi(), 7200));
  }

  // Tab order: Dir1, the two buttons, File1, Drive1.
  HWND next = control(PickerControl::Dir1);
  for (const PickerControl expected :
       {PickerControl::cmdselecteer, PickerControl::cmdAnnuleer, PickerControl::File1,
        PickerControl::Drive1, PickerControl::Dir1}) {
    next = GetNextDlgTabItem(dialog, next, FALSE);
    EXPECT_EQ(next, control(expected)) << static_cast<int>(expected);
  }
}

TEST_F(FolderPickerTest, PictureIsCutOffAtTheBottomAndByOnePixelAtTheRight) {
  const HWND box = control(PickerControl::Picture1);
  if (dpi() != 96) GTEST_SKIP() << "the cut is measured in pixels at 96 DPI";
  EXPECT_EQ(clientSize(box).cx, 119);
  EXPECT_EQ(clientSize(box).cy, 235);
  int width = 0, height = 0;
  const std::vector<COLORREF> banner = bannerPixels(width, height);
  const int canvas = 130;
  const std::vector<COLORREF> drawn = drawPictureBox(picker().handle(), box, canvas, 270);
  EXPECT_EQ(drawn[0], banner[0]);
  EXPECT_EQ(drawn[234 * canvas + 118], banner[234 * width + 118]);
  EXPECT_EQ(drawn[0 * canvas + 119], kMagenta) << "the last column is cut off";
  EXPECT_EQ(drawn[235 * canvas + 0], kMagenta) << "the bottom is cut off";
}

TEST_F(FolderPickerTest, SettingTheFolderListsItsFoldersAndRaisesDir1Change) {
  const std::string folder = live.path("Picked");
  picker().setDirectoryPath(folder);
  EXPECT_EQ(lower(widen(picker().directoryPath())), lower(widen(folder)));

  const std::vector<std::wstring> folders = listBoxEntries(control(PickerControl::Dir1));
  EXPECT_TRUE(containsNoCase(folders, L"[scenery]"));
  EXPECT_TRUE(containsNoCase(folders, L"[texture]"));
  EXPECT_TRUE(containsNoCase(folders, L"[..]"));
  EXPECT_FALSE(containsNoCase(folders, L"readme.txt")) << "folders only";

  // Dir1_Change set File1 to the same folder.
  const std::vector<std::wstring> files = listBoxEntries(control(PickerControl::File1));
  EXPECT_TRUE(containsNoCase(files, L"readme.txt"));
  EXPECT_FALSE(containsNoCase(files, L"[scenery]")) << "files only";
  EXPECT_TRUE(live.recorder.messages.empty());
}

TEST_F(FolderPickerTest, DoubleClickEntersAFolderAndTheParentEntryLeadsBack) {
  picker().setDirectoryPath(live.path("Picked"));
  enterFolder(L"[scenery]");
  EXPECT_EQ(lower(widen(picker().directoryPath())), lower(widen(live.path("Picked\\scenery"))));
  EXPECT_TRUE(containsNoCase(listBoxEntries(control(PickerControl::File1)), L"qiro.bgl"));

  enterFolder(L"[..]");
  EXPECT_EQ(lower(widen(picker().directoryPath())), lower(widen(live.path("Picked"))));
  EXPECT_TRUE(containsNoCase(listBoxEntries(control(PickerControl::File1)), L"readme.txt"));
}

TEST_F(FolderPickerTest, DriveListShowsTheDrivesAndChangingItListsThatDrive) {
  picker().setDirectoryPath(live.path("Picked"));
  const HWND drives = control(PickerControl::Drive1);
  const std::vector<std::wstring> entries = comboBoxEntries(drives);
  ASSERT_TRUE(containsNoCase(entries, L"[-c-]"));
  const std::wstring drive = lower(widen(live.path("Picked")).substr(0, 1));
  const auto current = SendMessageW(drives, CB_GETCURSEL, 0, 0);
  ASSERT_NE(current, CB_ERR);
  EXPECT_EQ(lower(entries[static_cast<std::size_t>(current)]), L"[-" + drive + L"-]");
  EXPECT_EQ(lower(widen(picker().drive())), drive + L":");

  const auto c = SendMessageW(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(L"[-c-]"));
  SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(c), 0);
  SendMessageW(picker().handle(), WM_COMMAND,
               MAKEWPARAM(static_cast<int>(PickerControl::Drive1), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(drives));
  EXPECT_EQ(lower(widen(picker().directoryPath())).substr(0, 3), L"c:\\");
  EXPECT_TRUE(live.recorder.messages.empty());
  EXPECT_EQ(live.recorder.programEnds, 0);
}

TEST_F(FolderPickerTest, AFolderThatCannotBeListedIsReportedAndChangesNothing) {
  picker().setDirectoryPath(live.path("Picked"));
  const std::vector<std::wstring> before = listBoxEntries(control(PickerControl::Dir1));

  picker().setDirectoryPath(live.path("gone"));
  picker().setDirectoryPath("q:");  // a drive that is not there

  ASSERT_EQ(live.recorder.messages.size(), 2u);
  EXPECT_EQ(live.recorder.messages[0].style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
  EXPECT_NE(live.recorder.messages[1].text.find(L"q:"), std::wstring::npos);
  EXPECT_EQ(live.recorder.programEnds, 0) << "the program goes on";
  EXPECT_EQ(lower(widen(picker().directoryPath())), lower(widen(live.path("Picked"))));
  EXPECT_EQ(listBoxEntries(control(PickerControl::Dir1)), before);
}

TEST_F(FolderPickerTest, SelectDirectoryAppendsATickedEntryEveryTime) {
  const std::string folder = live.path("Picked");
  picker().setDirectoryPath(folder);
  ShowWindow(picker().handle(), SW_SHOW);
  SendMessageW(control(PickerControl::cmdselecteer), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(picker().handle()));

  const HWND list1 = mainControl(ControlId::List1);
  const HWND list2 = mainControl(ControlId::List2);
  ASSERT_EQ(ListView_GetItemCount(list1), 3);
  ASSERT_EQ(ListView_GetItemCount(list2), 3);
  EXPECT_EQ(lower(listViewText(list1, 2)), lower(widen(folder)));
  const std::wstring line = listViewText(list2, 2);
  EXPECT_EQ(line.substr(0, 55),
            widen(std::string(kPickedSimulatorColumn) + std::string(kPickedVersionColumn)));
  EXPECT_EQ(lower(line.substr(55)), lower(widen(folder)));
  EXPECT_TRUE(ListView_GetCheckState(list2, 2));

  SendMessageW(control(PickerControl::cmdselecteer), BM_CLICK, 0, 0);
  ASSERT_EQ(ListView_GetItemCount(list2), 4);
  EXPECT_TRUE(ListView_GetCheckState(list2, 3));
  EXPECT_EQ(listViewText(list2, 3), line);
}

TEST_F(FolderPickerTest, AddFolderOpensThePickerModallyAndCancelAddsNothing) {
  picker().setDirectoryPath(live.path("Picked"));
  // Waits in the queue until the dialog's own loop runs.
  PostMessageW(control(PickerControl::cmdAnnuleer), BM_CLICK, 0, 0);
  SendMessageW(mainControl(ControlId::AddFolder), BM_CLICK, 0, 0);

  EXPECT_FALSE(IsWindowVisible(picker().handle()));
  EXPECT_TRUE(IsWindowEnabled(live.window->handle())) << "the main window is enabled again";
  EXPECT_EQ(ListView_GetItemCount(mainControl(ControlId::List2)), 2);
  EXPECT_TRUE(IsWindow(picker().handle())) << "hidden, not destroyed";
}

TEST_F(FolderPickerTest, AddFolderThenSelectDirectoryAddsTheFolderTicked) {
  picker().setDirectoryPath(live.path("Picked"));
  PostMessageW(control(PickerControl::cmdselecteer), BM_CLICK, 0, 0);
  SendMessageW(mainControl(ControlId::AddFolder), BM_CLICK, 0, 0);

  EXPECT_FALSE(IsWindowVisible(picker().handle()));
  EXPECT_TRUE(IsWindowEnabled(live.window->handle()));
  ASSERT_EQ(ListView_GetItemCount(mainControl(ControlId::List2)), 3);
  EXPECT_TRUE(ListView_GetCheckState(mainControl(ControlId::List2), 2));
  EXPECT_EQ(live.window->list1().count(), live.window->list2().count());
}

TEST_F(FolderPickerTest, EscapeAndTheCloseBoxCancel) {
  ShowWindow(picker().handle(), SW_SHOW);
  SendMessageW(picker().handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(picker().handle()));
  ShowWindow(picker().handle(), SW_SHOW);
  SendMessageW(picker().handle(), WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(IsWindowVisible(picker().handle()));
  EXPECT_EQ(ListView_GetItemCount(mainControl(ControlId::List2)), 2);
}

}  // namespace
}  // namespace tarvik::testing
