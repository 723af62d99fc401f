#include "tests/support/recording_window.h"

namespace tarvik::testing {

RecordingWindow::RecordingWindow(std::vector<std::string>& events) : events_(events) {
  for (const ControlId control :
       {ControlId::Command1, ControlId::Picture1, ControlId::Label1, ControlId::Label2,
        ControlId::List1, ControlId::Label3, ControlId::Label4, ControlId::Label5,
        ControlId::Label6, ControlId::Label7, ControlId::List2, ControlId::Label8,
        ControlId::Label9, ControlId::AddFolder})
    visible_[control] = true;
  visible_[ControlId::List1] = false;
  visible_[ControlId::Label7] = false;
}

void RecordingWindow::setVisible(ControlId control, bool visible) { visible_[control] = visible; }

void RecordingWindow::setCaption(ControlId control, const std::string& caption) {
  captions_[control] = caption;
  if (control == ControlId::Label9) statusTexts.push_back(caption);
}

std::string RecordingWindow::caption(ControlId control) const {
  const auto found = captions_.find(control);
  return found == captions_.end() ? std::string() : found->second;
}

void RecordingWindow::yield() {
  ++yields;
  events_.push_back("yield");
}

void RecordingWindow::showMessage(const std::string& text, const std::string& title) {
  messages.push_back({text, title, false});
  events_.push_back("message: " + text);
}

void RecordingWindow::showWarning(const std::string& text, const std::string& title) {
  messages.push_back({text, title, true});
  events_.push_back("warning");
}

RetryAnswer RecordingWindow::askRetry(const std::string& text, const std::string& /*title*/,
                                      bool offerAdministrator) {
  questions.emplace_back(text, offerAdministrator);
  events_.push_back("question");
  if (whileAsked) whileAsked();
  if (retryAnswers.empty()) return RetryAnswer::kCancel;
  const RetryAnswer answer = retryAnswers.front();
  retryAnswers.pop_front();
  return answer;
}

void RecordingWindow::showRunProgress(uint64_t done, uint64_t total) {
  progress.push_back({done, total});
}

void RecordingWindow::showFolderPicker() { ++pickerOpened; }

void RecordingWindow::endProgram(int code) {
  ended = true;
  exitCode = code;
  events_.push_back("end");
}

void addCandidate(RecordingWindow& window, const std::string& folder, bool ticked) {
  window.List1.addItem(folder);
  window.List2.addItem("  Fs2000 (versie 7.0)     Tarvik versie 2.0         " + folder);
  window.List2.setSelected(window.List2.count() - 1, ticked);
}

}  // namespace tarvik::testing
