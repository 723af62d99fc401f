#pragma once
// A live main window for tests: a simulator registered in a FakeRegistry whose scenery.cfg
// (real files in a temporary folder) names a version 2.0 and a version 2.1 add-on folder, the
// Win32 file system, and message boxes and the end of the program recorded instead of shown.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/installer_window.h"
#include "app/win32/main_window.h"
#include "tests/support/fake_registry.h"
#include "tests/support/temp_folder.h"

namespace tarvik::testing {

struct RecordedMessage {
  std::wstring text;
  std::wstring title;
  UINT style;
};

struct Recorder {
  std::vector<RecordedMessage> messages;
  int programEnds = 0;
  int exitCode = -1;
  WindowServices services();
};

// Takes away the quit message that a destroyed main window leaves, so that the tests of one
// program do not see each other's.
struct QuitMessageDrain {
  QuitMessageDrain() = default;
  QuitMessageDrain(const QuitMessageDrain&) = delete;
  QuitMessageDrain& operator=(const QuitMessageDrain&) = delete;
  ~QuitMessageDrain();
};

class LiveInstallerWindow {
 public:
  LiveInstallerWindow();

  // A path of the temporary folder, in Windows form.
  std::string path(const std::string& relative) const;

  QuitMessageDrain drain;  // first, so that it goes last
  Recorder recorder;
  TempFolder temp;
  FakeRegistry registry;
  std::unique_ptr<FileSystem> files;
  std::unique_ptr<WriteAccess> access;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<Tarvik_installer_main> installer;
};

// A control's rectangle in its parent's client area.
RECT rectInParent(HWND control);
SIZE clientSize(HWND window);

std::wstring windowText(HWND window);
std::wstring className(HWND window);
bool hasStyle(HWND window, LONG style);

// The text of list-view item i, read through LVM_GETITEMTEXT as another program would.
std::wstring listViewText(HWND list, int item);

// The user's input on list-view item i: a click on its check box, a double click on its text,
// or the space key with the item focused.
enum class ListInput { kClickCheckBox, kDoubleClickText, kSpace };
void sendListInput(HWND list, int item, ListInput input);

std::vector<std::wstring> listBoxEntries(HWND list);
std::vector<std::wstring> comboBoxEntries(HWND combo);

// Draws an owner-drawn picture box into a magenta bitmap of the given size through the
// window's WM_DRAWITEM and returns the pixels, row by row from the top.
std::vector<COLORREF> drawPictureBox(HWND owner, HWND picture, int width, int height);

// Draws a control's client area into a magenta bitmap through WM_PRINTCLIENT.
std::vector<COLORREF> drawClient(HWND control, int width, int height);

// The pixels of the embedded banner, row by row from the top.
std::vector<COLORREF> bannerPixels(int& width, int& height);

constexpr COLORREF kMagenta = RGB(255, 0, 255);

}  // namespace tarvik::testing
