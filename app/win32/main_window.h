#pragma once
// The installer's main window: its controls laid out from the table, the two check-box lists,
// the tooltip, and the routing of its messages to the installer's handlers
// (Tarvik_installer_main). The behaviour lives in the handlers; this is the window around them.

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/installer_window.h"
#include "app/win32/folder_picker_window.h"
#include "app/win32/gdi_handles.h"
#include "app/win32/list_view_check_list.h"
#include "app/win32/paced_run_display.h"
#include "app/win32/run_progress_bar.h"
#include "app/win32/window_fonts.h"
#include "app/win32/window_services.h"
#include "platform/window_controls.h"

namespace tarvik {

class MainWindow : public WindowControls {
 public:
  // Creates the window and its controls, hidden.
  explicit MainWindow(WindowServices services = systemWindowServices());
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The behaviour whose handlers the window's buttons call.
  void attach(Tarvik_installer_main& installer) { installer_ = &installer; }

  // Shows the window centred on the work area, with the focus on Command1, its lists' columns
  // fitted to the entries they hold by then.
  void show(int showCommand = SW_SHOWNORMAL);

  // Presses Command1 once the messages before it are handled, as the user would.
  void pressInstall();

  HWND handle() const { return window_; }
  HWND control(ControlId control) const;
  HWND tooltip() const { return tooltip_; }
  int dpi() const { return dpi_; }
  // The folder picker, created on first use and kept, hidden between uses.
  FolderPickerWindow& folderPicker();

  CheckList& list1() override { return list1_; }
  CheckList& list2() override { return list2_; }
  void setVisible(ControlId control, bool visible) override;
  void setCaption(ControlId control, const std::string& caption) override;
  void yield() override;
  void showMessage(const std::string& text, const std::string& title) override;
  void showWarning(const std::string& text, const std::string& title) override;
  RetryAnswer askRetry(const std::string& text, const std::string& title,
                       bool offerAdministrator) override;
  void showRunProgress(uint64_t done, uint64_t total) override;
  void showFolderPicker() override;
  void endProgram(int exitCode) override;

  LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void createControls();
  // Lays the window out again at the DPI of the monitor it was moved to.
  void changeDpi(int dpi, POINT topLeft);
  void addListTooltips();
  // Lets the lists draw and fits their columns to their entries.
  void showListEntries();
  void onCommand(int id, int notification);
  void runInstallerHandler(void (Tarvik_installer_main::*handler)());
  bool running() const { return installer_ && installer_->running(); }
  LRESULT labelColours(HDC dc, HWND label);

  WindowServices services_;
  int dpi_;
  std::unique_ptr<WindowFonts> fonts_;
  UniqueBitmap picture_;
  HWND window_ = nullptr;
  std::array<HWND, 14> controls_{};  // by ControlId
  std::vector<HWND> inTableOrder_;
  HWND tooltip_ = nullptr;
  HWND focusBeforeDeactivation_ = nullptr;
  ListViewCheckList list1_;
  ListViewCheckList list2_;
  RunProgressBar runProgress_;
  PacedRunDisplay runDisplay_{runProgress_};
  Tarvik_installer_main* installer_ = nullptr;
  // Owned by the main window; destroyed before it.
  std::unique_ptr<FolderPickerWindow> picker_;
};

}  // namespace tarvik
