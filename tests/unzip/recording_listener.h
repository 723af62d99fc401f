#pragma once
// A listener of cUnzip's events that records each event and answers as the test sets it up.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "unzip/unzip_component.h"

namespace tarvik::testing {

class RecordingListener : public UnzipEventListener {
 public:
  struct ProgressEvent {
    int32_t lCount;
    std::string sMsg;
  };

  // Answers.
  std::optional<int32_t> overwriteAnswer;
  std::string password;
  bool cancelPassword = false;
  bool cancelMember = false;
  bool fail = false;  // every handler throws after answering

  // What arrived.
  std::vector<ProgressEvent> progress;
  std::vector<std::string> overwritePrompts;
  std::vector<int32_t> overwriteResponsesOnEntry;
  int passwordRequests = 0;
  std::vector<std::string> passwordsOnEntry;
  std::vector<std::string> cancelNames;
  std::vector<bool> cancelsOnEntry;

  void Progress(int32_t lCount, const std::string& sMsg) override {
    progress.push_back({lCount, sMsg});
    failIfAsked();
  }

  void OverwritePrompt(const std::string& sFIle, int32_t& eResponse) override {
    overwritePrompts.push_back(sFIle);
    overwriteResponsesOnEntry.push_back(eResponse);
    if (overwriteAnswer) eResponse = *overwriteAnswer;
    failIfAsked();
  }

  void PasswordRequest(std::string& sPassword, bool& bCancel) override {
    ++passwordRequests;
    passwordsOnEntry.push_back(sPassword);
    sPassword = password;
    bCancel = cancelPassword;
    failIfAsked();
  }

  void Cancel(const std::string& sMsg, bool& bCancel) override {
    cancelNames.push_back(sMsg);
    cancelsOnEntry.push_back(bCancel);
    bCancel = cancelMember;
    failIfAsked();
  }

 private:
  void failIfAsked() const {
    if (fail) throw std::runtime_error("event handler failed");
  }
};

}  // namespace tarvik::testing
