#pragma once
// The run's reports on the screen: the status line (Label9) and the progress bar with the
// taskbar button, drawn at most about 60 times a second. Under Wine one drawing of the bar costs
// about a millisecond, more than the library takes for most members. A report that comes sooner
// than kInterval after the last drawing is kept, and drawn once that time has passed: at a later
// report, by a timer when the reports stop, or at once before a message box. The status line
// thus always shows the latest report within kInterval.

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "app/win32/run_progress_bar.h"

namespace tarvik {

class PacedRunDisplay {
 public:
  static constexpr std::chrono::milliseconds kInterval{16};
  // The timer's number among the main window's timers.
  static constexpr UINT_PTR kTimerId = 1;

  explicit PacedRunDisplay(RunProgressBar& bar) : bar_(bar) {}
  void attach(HWND window, HWND status);

  void setStatus(std::wstring text);
  void setProgress(uint64_t done, uint64_t total);
  // Draws what is kept if its time has come; what the timer's ticks call.
  void drawWhenDue();
  // Draws what is kept, now.
  void drawNow();

 private:
  struct Progress {
    uint64_t done;
    uint64_t total;
  };

  void keptOrDrawn();

  RunProgressBar& bar_;
  HWND window_ = nullptr;
  HWND status_ = nullptr;
  std::optional<std::wstring> statusKept_;
  std::optional<Progress> progressKept_;
  std::chrono::steady_clock::time_point lastDrawn_{};
  bool timerSet_ = false;
};

}  // namespace tarvik
