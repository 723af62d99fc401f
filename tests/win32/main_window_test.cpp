// The live main window, read back through the Windows API: its frame, the fourteen controls of
// its layout, fonts, colours, tooltip, keyboard order, the check-box lists, the picture, and what
// the window looks like once the run has started or when nothing is ticked.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cwchar>

#include "app/installer_texts.h"
#include "app/win32/main_window_layout.h"
#include "app/win32/message_loop.h"
#include "app/win32/run_progress_bar.h"
#include "app/win32/window_fonts.h"
#include "platform/runtime_error.h"
#include "platform/win32/wide_text.h"
#include "tests/win32/window_test_support.h"

namespace tarvik::testing {
namespace {

constexpr ControlId kAll[] = {
    ControlId::Command1, ControlId::Picture1,  ControlId::Label1, ControlId::Label2,
    ControlId::List1,    ControlId::Label3,    ControlId::Label4, ControlId::Label5,
    ControlId::Label6,   ControlId::Label7,    ControlId::List2,  ControlId::Label8,
    ControlId::Label9,   ControlId::AddFolder,
};

// Twips of the window's table against pixels read back, within a pixel at the DPI in use.
void expectTwips(int pixels, int twips, int dpi, const char* what) {
  EXPECT_NEAR(pixels, MulDiv(twips, dpi, 1440), 1) << what;
}

struct Expected {
  ControlId control;
  const wchar_t* className;
  std::string_view text;
  int left, top, width, height;
  const wchar_t* face;
  int hundredthsOfPoint;
  bool bold;
  COLORREF colour;  // CLR_INVALID: the system's text colour
  bool shown;
};

// The bitmap font MS Sans Serif gives way to the TrueType Microsoft Sans Serif above 96 DPI.
std::wstring faceAt(const wchar_t* face, int dpi) {
  return dpi > 96 && std::wstring(face) == L"MS Sans Serif" ? L"Microsoft Sans Serif" : face;
}

// The table of the window, written out again independently of the program's own table.
// clang-format off
const Expected kExpected[] = {
    {ControlId::Command1, L"Button", "Install update now", 8280, 3720, 2175, 375, L"MS Sans Serif", 825, false, CLR_INVALID, true},
    {ControlId::Picture1, L"Static", "", 120, 120, 1860, 3960, nullptr, 0, false, CLR_INVALID, true},
    {ControlId::Label1, L"Static", "This is the second official update for", 4200, 240, 3975, 375, L"MS Sans Serif", 1200, false, CLR_INVALID, true},
    {ControlId::Label2, L"Static", "Update", 2160, 1680, 615, 255, L"MS Sans Serif", 825, false, CLR_INVALID, true},
    {ControlId::List1, L"SysListView32", "", 2160, 1920, 5055, 1410, L"MS Sans Serif", 825, false, CLR_INVALID, false},
    {ControlId::Label3, L"Static", "Tarvik V2.0", 2760, 1680, 975, 255, L"MS Sans Serif", 825, false, RGB(0, 0, 255), true},
    {ControlId::Label4, L"Static", "to", 3840, 1680, 255, 255, L"MS Sans Serif", 825, false, CLR_INVALID, true},
    {ControlId::Label5, L"Static", "Tarvik V2.1", 4080, 1680, 975, 255, L"MS Sans Serif", 825, false, RGB(0, 0, 255), true},
    {ControlId::Label6, L"Static", "in:", 5160, 1680, 255, 255, L"MS Sans Serif", 825, false, CLR_INVALID, true},
    {ControlId::Label7, L"Static", "Installing update now, please wait", 4080, 2400, 5055, 375, L"MS Sans Serif", 1350, true, RGB(192, 64, 0), false},
    {ControlId::List2, L"SysListView32", "", 2160, 1920, 8415, 1410, L"MS Sans Serif", 825, false, CLR_INVALID, true},
    {ControlId::Label8, L"Static", "Tarvik scenery for Microsoft Flightsimulator 2000/2002", 2640, 600, 7455, 375, L"MS Sans Serif", 1200, false, CLR_INVALID, true},
    {ControlId::Label9, L"Static", "", 2400, 2880, 8175, 255, L"Arial", 975, false, RGB(192, 64, 0), true},
    {ControlId::AddFolder, L"Button", "Add folder...", 2160, 3720, 2175, 375, L"MS Sans Serif", 825, false, CLR_INVALID, true},
};
// clang-format on

class MainWindowTest : public ::testing::Test {
 protected:
  HWND control(ControlId id) const { return live.window->control(id); }
  HWND main() const { return live.window->handle(); }
  int dpi() const { return live.window->dpi(); }
  void click(ControlId id) { SendMessageW(control(id), BM_CLICK, 0, 0); }
  void expectEveryControlAsTheTableSays();

  std::wstring display(const std::string& version, const std::string& folder) const {
    return widen("  Fs2000 (versie 7.0)     " + version + folder);
  }

  LiveInstallerWindow live;
};

TEST_F(MainWindowTest, FrameHasTheCaptionClientSizeIconAndIsCentredOnTheWorkArea) {
  EXPECT_EQ(windowText(main()), L"Tarvik V2   official update 2");
  const SIZE client = clientSize(main());
  expectTwips(client.cx, 10680, dpi(), "client width");
  expectTwips(client.cy, 4215, dpi(), "client height");

  EXPECT_TRUE(hasStyle(main(), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
  EXPECT_FALSE(hasStyle(main(), WS_THICKFRAME)) << "the window is not resizable";
  EXPECT_FALSE(hasStyle(main(), WS_MAXIMIZEBOX));
  EXPECT_EQ(GetMenu(main()), nullptr);
  EXPECT_NE(GetClassLongPtrW(main(), GCLP_HICON), 0u) << "icon group 1 of the program";

  RECT frame{}, work{};
  GetWindowRect(main(), &frame);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR(frame.left + frame.right, work.left + work.right, 2);
  EXPECT_NEAR(frame.top + frame.bottom, work.top + work.bottom, 2);
}

TEST_F(MainWindowTest, EveryControlHasItsKindTextPositionSizeFontAndColour) {
  expectEveryControlAsTheTableSays();
}

// Windows tells a window that it moved to a monitor of another scale, with the new DPI and a
// place for it; the window lays itself out again from its table, with fonts of that DPI.
TEST_F(MainWindowTest, ANewDpiLaysTheWindowOutAgainFromItsTable) {
  const int next = dpi() * 3 / 2;
  RECT suggested{40, 30, 41, 31};
  SendMessageW(main(), WM_DPICHANGED, MAKEWPARAM(next, next), reinterpret_cast<LPARAM>(&suggested));
  ASSERT_EQ(dpi(), next);
  RECT frame{};
  GetWindowRect(main(), &frame);
  EXPECT_EQ(frame.left, 40);
  EXPECT_EQ(frame.top, 30);
  expectTwips(clientSize(main()).cx, 10680, next, "client width");
  expectTwips(clientSize(main()).cy, 4215, next, "client height");
  expectEveryControlAsTheTableSays();
  const RECT bar = rectInParent(GetDlgItem(main(), kRunProgressBarId));
  expectTwips(bar.top, 3240, next, "progress bar top");
  expectTwips(bar.right - bar.left, 8175, next, "progress bar width");
}

// A window of a thread aware of the system's DPI only (what the manifest asks for before
// Windows 10) is scaled by Windows: laid out again as well, it would grow twice.
TEST(MainWindowDpi, AWindowThatWindowsScalesLeavesANewDpiToIt) {
  using SetContext = HANDLE(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
  if (!setContext) GTEST_SKIP() << "this system has no DPI awareness per thread";
  const HANDLE systemAware = reinterpret_cast<HANDLE>(-2);  // DPI_AWARENESS_CONTEXT_SYSTEM_AWARE
  const HANDLE before = setContext(systemAware);
  LiveInstallerWindow live;
  setContext(before);
  const int dpi = live.window->dpi();
  RECT suggested{40, 30, 41, 31};
  SendMessageW(live.window->handle(), WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(live.window->dpi(), dpi);
  expectTwips(clientSize(live.window->handle()).cx, 10680, dpi, "client width");
}

void MainWindowTest::expectEveryControlAsTheTableSays() {
  ASSERT_EQ(std::size(kExpected), std::size(kAll));
  for (const Expected& expected : kExpected) {
    const HWND window = control(expected.control);
    ASSERT_NE(window, nullptr);
    const std::string name = "control " + std::to_string(static_cast<int>(expected.control));
    SCOPED_TRACE(name);
    EXPECT_EQ(_wcsicmp(className(window).c_str(), expected.className), 0)
        << narrow(className(window));
    EXPECT_EQ(GetDlgCtrlID(window), controlNumber(expected.control));
    EXPECT_EQ(windowText(window), widen(expected.text));

    const RECT rect = rectInParent(window);
    expectTwips(rect.left, expected.left, dpi(), "left");
    expectTwips(rect.top, expected.top, dpi(), "top");
    expectTwips(rect.right - rect.left, expected.width, dpi(), "width");
    expectTwips(rect.bottom - rect.top, expected.height, dpi(), "height");

    if (expected.face) {
      const auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
      ASSERT_NE(font, nullptr);
      LOGFONTW logFont{};
      ASSERT_NE(GetObjectW(font, sizeof(logFont), &logFont), 0);
      EXPECT_EQ(logFont.lfFaceName, installedFaceOr(faceAt(expected.face, dpi()).c_str()));
      EXPECT_EQ(logFont.lfHeight, -MulDiv(expected.hundredthsOfPoint, dpi(), 7200));
      EXPECT_EQ(logFont.lfWeight, expected.bold ? FW_BOLD : FW_NORMAL);
    }

    if (className(window) == L"Static" && expected.control != ControlId::Picture1) {
      EXPECT_TRUE(hasStyle(window, SS_NOPREFIX));
      const HDC dc = CreateCompatibleDC(nullptr);
      SetTextColor(dc, RGB(1, 2, 3));
      const auto brush = SendMessageW(main(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(window));
      EXPECT_EQ(GetTextColor(dc),
                expected.colour == CLR_INVALID ? GetSysColor(COLOR_WINDOWTEXT) : expected.colour);
      EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
      EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), GetSysColorBrush(COLOR_BTNFACE));
      DeleteDC(dc);
    }
  }
}

TEST_F(MainWindowTest, ControlsAreShownOrHiddenAtStart) {
  for (const Expected& expected : kExpected) {
    EXPECT_EQ(IsWindowVisible(control(expected.control)) != 0, expected.shown)
        << "control " << static_cast<int>(expected.control);
  }
}

TEST_F(MainWindowTest, Command1HasTheFocusAndTabVisitsTheButtonsAndTheShownList) {
  EXPECT_EQ(GetFocus(), control(ControlId::Command1));
  EXPECT_TRUE(hasStyle(control(ControlId::Command1), BS_DEFPUSHBUTTON));
  EXPECT_EQ(LOWORD(SendMessageW(main(), DM_GETDEFID, 0, 0)), controlNumber(ControlId::Command1));

  HWND next = GetNextDlgTabItem(main(), control(ControlId::Command1), FALSE);
  EXPECT_EQ(next, control(ControlId::List2));
  next = GetNextDlgTabItem(main(), next, FALSE);
  EXPECT_EQ(next, control(ControlId::AddFolder));
  next = GetNextDlgTabItem(main(), next, FALSE);
  EXPECT_EQ(next, control(ControlId::Command1));
  EXPECT_EQ(GetNextDlgTabItem(main(), control(ControlId::Command1), TRUE),
            control(ControlId::AddFolder));
}

TEST_F(MainWindowTest, ListsAreCheckBoxListViewsWithOneColumnAndNoHeader) {
  for (const ControlId id : {ControlId::List1, ControlId::List2}) {
    const HWND list = control(id);
    EXPECT_TRUE(
        hasStyle(list, LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                           LVS_SHOWSELALWAYS));
    const DWORD extended = ListView_GetExtendedListViewStyle(list);
    EXPECT_TRUE(extended & LVS_EX_CHECKBOXES);
    EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
    EXPECT_GE(ListView_GetColumnWidth(list, 0), clientSize(list).cx - 1);
    LVCOLUMNW second{};
    second.mask = LVCF_WIDTH;
    EXPECT_FALSE(ListView_GetColumn(list, 1, &second)) << "one column only";
  }
}

TEST_F(MainWindowTest, DiscoveredFoldersAndTheirTicksCanBeReadFromTheControls) {
  const std::string addon20 = live.path("addon20");
  const std::string addon21 = live.path("addon21");
  std::string lower20 = addon20, lower21 = addon21;
  for (char& c : lower20) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  for (char& c : lower21) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));

  const HWND list1 = control(ControlId::List1);
  const HWND list2 = control(ControlId::List2);
  ASSERT_EQ(ListView_GetItemCount(list1), 2);
  ASSERT_EQ(ListView_GetItemCount(list2), 2);
  EXPECT_EQ(listViewText(list1, 0), widen(lower20));
  EXPECT_EQ(listViewText(list1, 1), widen(lower21));
  EXPECT_EQ(listViewText(list2, 0), display("Tarvik versie 2.0         ", lower20));
  EXPECT_EQ(listViewText(list2, 1), display("Tarvik versie 2.1         ", lower21));
  EXPECT_TRUE(ListView_GetCheckState(list2, 0)) << "version 2.0 is ticked in advance";
  EXPECT_FALSE(ListView_GetCheckState(list2, 1));

  // A tick the user sets is what the installer reads, and the other way round.
  sendListInput(list2, 1, ListInput::kClickCheckBox);
  EXPECT_TRUE(live.window->list2().selected(1));
  live.window->list2().setSelected(0, false);
  EXPECT_FALSE(ListView_GetCheckState(list2, 0));
}

TEST_F(MainWindowTest, TheCheckBoxTheSpaceKeyAndADoubleClickTickAndUntick) {
  const HWND list2 = control(ControlId::List2);
  for (const ListInput input :
       {ListInput::kClickCheckBox, ListInput::kSpace, ListInput::kDoubleClickText}) {
    sendListInput(list2, 1, input);
    EXPECT_TRUE(live.window->list2().selected(1)) << "input " << static_cast<int>(input);
    EXPECT_TRUE(ListView_GetCheckState(list2, 1));
    sendListInput(list2, 1, input);
    EXPECT_FALSE(live.window->list2().selected(1)) << "input " << static_cast<int>(input);
  }
  EXPECT_TRUE(live.window->list2().selected(0)) << "entry 0 untouched";
}

TEST_F(MainWindowTest, TheColumnIsAsWideAsTheListOrItsWidestEntryAndTextsStayInTheirBuffer) {
  MainWindow window(live.recorder.services());  // its lists filled before it shows
  for (int i = 0; i < 50; ++i) window.list2().addItem("c:\\games\\tarvik");
  window.show(SW_SHOWNOACTIVATE);
  const HWND list2 = window.control(ControlId::List2);
  ASSERT_TRUE(hasStyle(list2, WS_VSCROLL));
  EXPECT_EQ(ListView_GetColumnWidth(list2, 0), clientSize(list2).cx) << "beside the scroll bar";

  const std::wstring wide(300, L'W');
  window.list2().addItem(narrow(wide));
  window.show(SW_SHOWNOACTIVATE);
  RECT bounds{}, label{};
  ListView_GetItemRect(list2, 50, &bounds, LVIR_BOUNDS);
  ListView_GetItemRect(list2, 50, &label, LVIR_LABEL);
  EXPECT_GE(ListView_GetColumnWidth(list2, 0),
            label.left - bounds.left + ListView_GetStringWidth(list2, wide.c_str()));

  wchar_t buffer[8] = L"???????";
  LVITEMW request{};
  request.pszText = buffer;
  request.cchTextMax = 5;
  SendMessageW(list2, LVM_GETITEMTEXTW, 50, reinterpret_cast<LPARAM>(&request));
  EXPECT_EQ(std::wstring(buffer) + buffer[5], L"WWWW?") << "nothing past the buffer given";
}

TEST_F(MainWindowTest, CheckListReadsAndWritesTextsTicksAndTheCurrentEntry) {
  CheckList& list = live.window->list1();
  list.addItem("d:\\caf\xC3\xA9 tarvik");  // UTF-8 inside, UTF-16 in the control
  ASSERT_EQ(list.count(), 3);
  EXPECT_EQ(listViewText(control(ControlId::List1), 2), L"d:\\caf\u00e9 tarvik");
  EXPECT_EQ(list.text(2), "d:\\caf\xC3\xA9 tarvik");
  const std::string longText(600, 'x');
  list.addItem(longText);
  EXPECT_EQ(list.text(3), longText);

  EXPECT_EQ(list.currentText(), "");
  list.setListIndex(2);
  EXPECT_EQ(list.currentText(), "d:\\caf\xC3\xA9 tarvik");
  list.setListIndex(0);
  EXPECT_EQ(list.currentText(), list.text(0));

  EXPECT_FALSE(list.selected(2));
  list.setSelected(2, true);
  EXPECT_TRUE(list.selected(2));
  EXPECT_TRUE(ListView_GetCheckState(control(ControlId::List1), 2));

  EXPECT_THROW(list.text(4), RuntimeError);
  EXPECT_THROW(list.selected(-1), RuntimeError);
  EXPECT_THROW(list.setSelected(4, true), RuntimeError);
}

TEST_F(MainWindowTest, BothListsCarryTheTooltip) {
  const HWND tooltip = live.window->tooltip();
  ASSERT_NE(tooltip, nullptr);
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
  for (const ControlId id : {ControlId::List1, ControlId::List2}) {
    wchar_t text[256]{};
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = main();
    tool.uId = reinterpret_cast<UINT_PTR>(control(id));
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(text), widen(kListTooltip));
  }
}

TEST_F(MainWindowTest, PictureShowsTheWholeBannerInsideItsBorder) {
  const HWND picture = control(ControlId::Picture1);
  EXPECT_TRUE(GetWindowLongW(picture, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  int width = 0, height = 0;
  const std::vector<COLORREF> banner = bannerPixels(width, height);
  ASSERT_EQ(width, 120);
  ASSERT_EQ(height, 260);
  if (dpi() == 96) {
    EXPECT_EQ(clientSize(picture).cx, 120) << "the box is the picture plus its border";
    EXPECT_EQ(clientSize(picture).cy, 260);
  }

  const int canvasWidth = width + 10, canvasHeight = height + 10;
  const std::vector<COLORREF> drawn = drawPictureBox(main(), picture, canvasWidth, canvasHeight);
  int differences = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      differences += drawn[y * canvasWidth + x] != banner[y * width + x];
  EXPECT_EQ(differences, 0);
  EXPECT_EQ(drawn[0 * canvasWidth + width], kMagenta) << "nothing drawn beside the picture";
  EXPECT_EQ(drawn[height * canvasWidth + 0], kMagenta) << "nothing drawn below the picture";
}

TEST_F(MainWindowTest, StartedRunHidesTheSelectionAndShowsThePleaseWaitLabel) {
  const HWND bar = GetDlgItem(main(), kRunProgressBarId);
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(IsWindowVisible(bar));
  click(ControlId::Command1);

  // The archive cannot be read: a warning, then the end of the program (recorded).
  ASSERT_EQ(live.recorder.messages.size(), 1u);
  EXPECT_EQ(live.recorder.messages[0].style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
  EXPECT_EQ(live.recorder.messages[0].title, L"tarvik_installer");
  EXPECT_EQ(live.recorder.programEnds, 1);

  for (const ControlId id : {ControlId::Command1, ControlId::AddFolder, ControlId::List1,
                             ControlId::List2, ControlId::Label2, ControlId::Label3,
                             ControlId::Label4, ControlId::Label5, ControlId::Label6})
    EXPECT_FALSE(IsWindowVisible(control(id))) << "control " << static_cast<int>(id);
  for (const ControlId id : {ControlId::Picture1, ControlId::Label1, ControlId::Label7,
                             ControlId::Label8, ControlId::Label9})
    EXPECT_TRUE(IsWindowVisible(control(id))) << "control " << static_cast<int>(id);
  EXPECT_EQ(windowText(control(ControlId::Label9)), L"");
  EXPECT_EQ(LOWORD(SendMessageW(main(), DM_GETDEFID, 0, 0)), 0) << "Enter presses nothing now";

  // The progress bar below the status line, in its error state for the warning.
  EXPECT_TRUE(IsWindowVisible(bar));
  if (SendMessageW(bar, PBM_GETSTATE, 0, 0) != PBST_ERROR) {  // a control without states
    EXPECT_EQ(SendMessageW(bar, PBM_GETBARCOLOR, 0, 0), kRunProgressErrorColour);
  }
  EXPECT_GE(rectInParent(bar).top, rectInParent(control(ControlId::Label9)).bottom);
}

// A burst of reports is drawn paced: the latest text and progress reach the screen once the
// reports stop, by the window's timer, and before a message box at once.
TEST_F(MainWindowTest, TheStatusLineAndTheBarShowTheLatestReportOfABurst) {
  MainWindow& window = *live.window;
  const HWND bar = GetDlgItem(main(), kRunProgressBarId);
  const auto report = [&](int i) {
    window.setCaption(ControlId::Label9, "  inflating: scenery\\file" + std::to_string(i));
    window.showRunProgress(static_cast<uint64_t>(i), 1000);
    window.yield();
  };
  for (int i = 1; i <= 500; ++i) report(i);
  const DWORD until = GetTickCount() + 200;
  while (GetTickCount() < until) window.yield();
  EXPECT_EQ(windowText(control(ControlId::Label9)), L"  inflating: scenery\\file500");
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 500);

  report(501);
  report(502);
  window.showMessage("done", "tarvik_installer");
  EXPECT_EQ(windowText(control(ControlId::Label9)), L"  inflating: scenery\\file502");
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 502);
}

TEST_F(MainWindowTest, AFailedRunDrawsTheProgressBarInTheErrorColour) {
  RunProgressBar bar;
  bar.create(main(), dpi());
  bar.show(1, 2);
  bar.showFailed();
  const SIZE size = clientSize(bar.handle());
  const std::vector<COLORREF> drawn = drawClient(bar.handle(), size.cx, size.cy);
  const COLORREF done = drawn[size.cy / 2 * size.cx + size.cx / 4];
  EXPECT_TRUE(GetRValue(done) > 2 * GetGValue(done) && GetRValue(done) > 2 * GetBValue(done))
      << "the done half is drawn red, not in colour " << std::hex << done;
}

TEST(WindowFonts, AFaceThatIsNotInstalledGivesWayToTheMessageFont) {
  EXPECT_EQ(installedFaceOr(L"MS Sans Serif"), L"MS Sans Serif");  // Wine's own, in the prefix
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  EXPECT_EQ(installedFaceOr(L"Tarvik No Such Face"), metrics.lfMessageFont.lfFaceName);
  EXPECT_NE(installedFaceOr(L"Tarvik No Such Face"), L"");
}

TEST(WindowFonts, ALabelWhoseTextOverrunsItsBoxGetsItsFontSmallerAndOnlyThen) {
  WindowFonts fonts(96);
  // A scalable face (Wine's Tahoma, in the prefix): MS Sans Serif comes in a few sizes only.
  LOGFONTW wanted{};
  wanted.lfHeight = -16;
  wcscpy(wanted.lfFaceName, L"Tahoma");
  const UniqueFont font(CreateFontIndirectW(&wanted));
  const HFONT named = font.get();
  const auto label = [&](const wchar_t* text) {
    const HWND made = CreateWindowW(L"STATIC", text, WS_POPUP | SS_LEFT, 0, 0, 150, 30, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(named), FALSE);
    fonts.fitLabelFont(made);
    return made;
  };
  const HWND fitting = label(L"Short");
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(fitting, WM_GETFONT, 0, 0)), named);
  const HWND overrunning = label(L"This is the second official update");
  ASSERT_FALSE(labelTextFits(overrunning, named));
  const auto fitted = reinterpret_cast<HFONT>(SendMessageW(overrunning, WM_GETFONT, 0, 0));
  EXPECT_TRUE(labelTextFits(overrunning, fitted));
  LOGFONTW before{}, after{};
  GetObjectW(named, sizeof(before), &before);
  GetObjectW(fitted, sizeof(after), &after);
  EXPECT_LT(-after.lfHeight, -before.lfHeight);
  EXPECT_STREQ(after.lfFaceName, before.lfFaceName);
  DestroyWindow(fitting);
  DestroyWindow(overrunning);
}

TEST_F(MainWindowTest, AnInstallerPathTheLibraryCannotTakeStopsTheRunBeforeAnyChange) {
  if (GetACP() != 1252) GTEST_SKIP() << "the system's code page is " << GetACP();
  const std::string installer = live.path("missing") + "\\" +
                                narrow(L"\u0414\u043C\u0438\u0442\u0440\u0438\u0439") +
                                "\\tarvik_installer.exe";
  live.installer = std::make_unique<Tarvik_installer_main>(*live.window, live.registry,
                                                           *live.files, *live.access, installer);
  live.window->attach(*live.installer);
  click(ControlId::Command1);
  ASSERT_EQ(live.recorder.messages.size(), 1u);
  const std::string text = narrow(live.recorder.messages[0].text);
  EXPECT_NE(text.find(installer + "\n\ncannot be handled"), std::string::npos) << text;
  EXPECT_NE(text.find("Nothing was changed."), std::string::npos) << text;
}

TEST_F(MainWindowTest, NothingTickedShowsAMessageAndLeavesTheWindowAsItIs) {
  sendListInput(control(ControlId::List2), 0, ListInput::kClickCheckBox);
  click(ControlId::Command1);

  ASSERT_EQ(live.recorder.messages.size(), 1u);
  EXPECT_EQ(live.recorder.messages[0].text, widen(kNoFolderSelected));
  EXPECT_EQ(live.recorder.messages[0].title, L"tarvik_installer");
  EXPECT_EQ(live.recorder.messages[0].style, static_cast<UINT>(MB_OK));
  EXPECT_EQ(live.recorder.programEnds, 0);
  EXPECT_FALSE(live.installer->running());
  for (const Expected& expected : kExpected)
    EXPECT_EQ(IsWindowVisible(control(expected.control)) != 0, expected.shown)
        << "control " << static_cast<int>(expected.control);
  EXPECT_EQ(ListView_GetItemCount(control(ControlId::List2)), 2);
}

TEST_F(MainWindowTest, EnterAndSpacePressCommand1ThroughTheMessageLoop) {
  live.window->list2().setSelected(0, false);
  processPendingMessages();
  SetFocus(control(ControlId::Command1));

  PostMessageW(control(ControlId::Command1), WM_KEYDOWN, VK_RETURN, 0);
  processPendingMessages();
  ASSERT_EQ(live.recorder.messages.size(), 1u) << "Enter";
  EXPECT_EQ(live.recorder.messages[0].text, widen(kNoFolderSelected));

  SetFocus(control(ControlId::Command1));
  PostMessageW(control(ControlId::Command1), WM_KEYDOWN, VK_SPACE, 0);
  PostMessageW(control(ControlId::Command1), WM_KEYUP, VK_SPACE, 0xC0000001);
  processPendingMessages();
  EXPECT_EQ(live.recorder.messages.size(), 2u) << "Space";
}

TEST_F(MainWindowTest, ClosingIsIgnoredWhileTheRunIsInProgress) {
  // The close request waits in the queue until the run yields for the first time.
  PostMessageW(main(), WM_CLOSE, 0, 0);
  click(ControlId::Command1);
  EXPECT_EQ(live.recorder.programEnds, 1);
  EXPECT_TRUE(IsWindow(main())) << "the window was not closed during the run";
  MSG message;
  EXPECT_FALSE(PeekMessageW(&message, main(), WM_CLOSE, WM_CLOSE, PM_NOREMOVE))
      << "the close request was handled during the run";
}

TEST_F(MainWindowTest, ClosingBeforeTheRunEndsTheMessageLoop) {
  SendMessageW(main(), WM_CLOSE, 0, 0);
  EXPECT_EQ(live.window->handle(), nullptr);
  MSG message;
  EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(live.recorder.programEnds, 0);
}

}  // namespace
}  // namespace tarvik::testing
