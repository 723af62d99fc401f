#include "app/win32/paced_run_display.h"

namespace tarvik {

void PacedRunDisplay::attach(HWND window, HWND status) {
  window_ = window;
  status_ = status;
}

void PacedRunDisplay::setStatus(std::wstring text) {
  statusKept_ = std::move(text);
  keptOrDrawn();
}

void PacedRunDisplay::setProgress(uint64_t done, uint64_t total) {
  progressKept_ = Progress{done, total};
  keptOrDrawn();
}

void PacedRunDisplay::drawWhenDue() {
  if (std::chrono::steady_clock::now() - lastDrawn_ >= kInterval) drawNow();
}

void PacedRunDisplay::drawNow() {
  if (timerSet_) {
    KillTimer(window_, kTimerId);
    timerSet_ = false;
  }
  if (!statusKept_ && !progressKept_) return;
  if (statusKept_) SetWindowTextW(status_, statusKept_->c_str());
  if (progressKept_) bar_.show(progressKept_->done, progressKept_->total);
  statusKept_.reset();
  progressKept_.reset();
  lastDrawn_ = std::chrono::steady_clock::now();
}

void PacedRunDisplay::keptOrDrawn() {
  drawWhenDue();
  if ((statusKept_ || progressKept_) && !timerSet_)
    timerSet_ = SetTimer(window_, kTimerId, static_cast<UINT>(kInterval.count()), nullptr) != 0;
}

}  // namespace tarvik
