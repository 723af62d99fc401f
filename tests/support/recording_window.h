#pragma once
// A window that records what the installer's behaviour does to it: visibility, captions, yields,
// message boxes and the end of the program, in one event log that other doubles may share.

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/window_controls.h"
#include "tests/support/memory_check_list.h"

namespace tarvik::testing {

class RecordingWindow : public WindowControls {
 public:
  explicit RecordingWindow(std::vector<std::string>& events);

  CheckList& list1() override { return List1; }
  CheckList& list2() override { return List2; }
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

  bool visible(ControlId control) const { return visible_.at(control); }
  std::string caption(ControlId control) const;

  struct Message {
    std::string text;
    std::string title;
    bool warning;
  };

  MemoryCheckList List1;
  MemoryCheckList List2;
  std::vector<Message> messages;
  int yields = 0;
  int pickerOpened = 0;
  bool ended = false;
  int exitCode = -1;
  // The answers askRetry gives, in turn; Cancel when none is left.
  std::deque<RetryAnswer> retryAnswers;
  // The questions askRetry was asked, with whether it offered administrator rights.
  std::vector<std::pair<std::string, bool>> questions;
  // Runs while a question is up, before its answer is given.
  std::function<void()> whileAsked;
  // Every caption Label9 received, in order.
  std::vector<std::string> statusTexts;
  struct Progress {
    uint64_t done;
    uint64_t total;
    bool operator==(const Progress&) const = default;
  };
  // Every state of the run's progress, in order.
  std::vector<Progress> progress;

 private:
  std::vector<std::string>& events_;
  std::map<ControlId, bool> visible_;
  std::map<ControlId, std::string> captions_;
};

// Adds a folder to both lists, as the scan does.
void addCandidate(RecordingWindow& window, const std::string& folder, bool ticked);

}  // namespace tarvik::testing
