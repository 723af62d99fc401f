#pragma once
// What the installer's behaviour asks of a window: its controls by name, its two check-box
// lists, yielding to the message loop, message boxes and the end of the program. The Win32
// window implements it; tests use a recording double.

#include <cstdint>
#include <string>

namespace tarvik {

enum class ControlId {
  Command1,
  Picture1,
  Label1,
  Label2,
  List1,
  Label3,
  Label4,
  Label5,
  Label6,
  Label7,
  List2,
  Label8,
  Label9,
  AddFolder,
};

// A list box with a check box in front of every entry. Indices count from 0; a list holds at
// most kMaxListEntries entries. Entries are only ever appended.
constexpr int kMaxListEntries = 32767;

class CheckList {
 public:
  virtual ~CheckList() = default;
  virtual int count() const = 0;
  virtual void addItem(const std::string& text) = 0;
  virtual std::string text(int index) const = 0;
  // The entry's tick.
  virtual bool selected(int index) const = 0;
  virtual void setSelected(int index, bool selected) = 0;
  // The current entry, whose text is the list's current text.
  virtual void setListIndex(int index) = 0;
  virtual std::string currentText() const = 0;
};

// The user's answer to a question whose "Retry" tries the same step again.
enum class RetryAnswer { kRetry, kCancel, kRunAsAdministrator };

class WindowControls {
 public:
  virtual ~WindowControls() = default;
  virtual CheckList& list1() = 0;
  virtual CheckList& list2() = 0;
  virtual void setVisible(ControlId control, bool visible) = 0;
  virtual void setCaption(ControlId control, const std::string& caption) = 0;
  // Lets the message loop run once, so that the window repaints and handles input.
  virtual void yield() = 0;
  // A message box with one OK button; returns when the user dismisses it.
  virtual void showMessage(const std::string& text, const std::string& title) = 0;
  // The same with a warning icon, for a failure the user must read. Once the run's progress
  // shows, it turns to its error state before the warning appears.
  virtual void showWarning(const std::string& text, const std::string& title) = 0;
  // A warning with Retry and Cancel, and with offerAdministrator also a choice to start the
  // program again with administrator rights; returns the user's choice.
  virtual RetryAnswer askRetry(const std::string& text, const std::string& title,
                               bool offerAdministrator) = 0;
  // The run's progress: done of total units of work. The first call shows the progress bar below
  // the status line (and the progress on the taskbar button where Windows offers it).
  virtual void showRunProgress(uint64_t done, uint64_t total) = 0;
  // Opens the folder picker; what it adds arrives through the lists.
  virtual void showFolderPicker() = 0;
  // Ends the program at once with the exit code given (app/exit_codes.h).
  virtual void endProgram(int exitCode) = 0;
};

// The controls of the folder picker dialog that its handlers use.
class FolderPickerControls {
 public:
  virtual ~FolderPickerControls() = default;
  // The drive chosen in the drive list, e.g. "c:".
  virtual std::string drive() const = 0;
  // The folder shown by the directory list, e.g. "C:\Games\FS2000".
  virtual std::string directoryPath() const = 0;
  virtual void setDirectoryPath(const std::string& path) = 0;
  // The folder whose files the file list shows.
  virtual void setFileListPath(const std::string& path) = 0;
  virtual void hide() = 0;
};

}  // namespace tarvik
