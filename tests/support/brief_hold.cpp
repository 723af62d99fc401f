#include "tests/support/brief_hold.h"

namespace tarvik::testing {

BriefHold::BriefHold(const std::wstring& path, std::chrono::milliseconds hold)
    : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)),
      stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!holding()) return;
  releaser_ = std::thread([this, hold] {
    WaitForSingleObject(stop_, static_cast<DWORD>(hold.count()));
    CloseHandle(file_);
  });
}

BriefHold::~BriefHold() {
  SetEvent(stop_);
  if (releaser_.joinable()) releaser_.join();
  CloseHandle(stop_);
}

}  // namespace tarvik::testing
