#pragma once
// The folder picker dialog (dlgSelectDir): a drive list, the folders of the chosen folder, its
// files, and two buttons; its handlers (dlgSelectDir in app/) append the chosen folder to the
// main window's lists. Shown modally over the main window.

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "app/folder_picker.h"
#include "app/win32/folder_picker_layout.h"
#include "app/win32/window_fonts.h"
#include "app/win32/window_services.h"
#include "platform/window_controls.h"

namespace tarvik {

class FolderPickerWindow : public FolderPickerControls {
 public:
  // Creates the dialog hidden, listing the current folder. mainWindow supplies the lists that
  // the dialog appends to and reports errors of its handlers.
  FolderPickerWindow(HWND owner, WindowControls& mainWindow, const WindowServices& services,
                     HBITMAP picture, int dpi);
  ~FolderPickerWindow() override;
  FolderPickerWindow(const FolderPickerWindow&) = delete;
  FolderPickerWindow& operator=(const FolderPickerWindow&) = delete;

  // Shows the dialog with its owner disabled and returns when the dialog is hidden again.
  void showModal();

  HWND handle() const { return window_; }
  HWND control(PickerControl control) const;

  std::string drive() const override;
  std::string directoryPath() const override;
  // Lists the folders of path in Dir1 and raises Dir1_Change. A folder that cannot be listed
  // (a drive without a medium, a folder that has gone) is reported and changes nothing.
  void setDirectoryPath(const std::string& path) override;
  void setFileListPath(const std::string& path) override;
  void hide() override;

  LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void onCommand(int id, int notification);
  void raise(void (dlgSelectDir::*handler)());
  void enterSelectedFolder();
  bool listFolders(const std::wstring& folder);
  void selectDriveOf(const std::wstring& folder);

  HWND owner_;
  WindowControls& mainWindow_;
  const WindowServices& services_;
  HBITMAP picture_;
  int dpi_;
  std::unique_ptr<WindowFonts> fonts_;
  HWND window_ = nullptr;
  bool modal_ = false;
  std::array<HWND, 7> controls_{};
  std::wstring directory_;
  dlgSelectDir handlers_;
};

}  // namespace tarvik
