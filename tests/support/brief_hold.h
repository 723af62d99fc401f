#pragma once
// A file held open the way a virus scanner holds one it looks at: readable and writable by
// others, but not to be deleted, renamed or replaced. The hold ends after the given time (on a
// thread of its own) or when the object goes. Windows only.

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

namespace tarvik::testing {

class BriefHold {
 public:
  BriefHold(const std::wstring& path, std::chrono::milliseconds hold);
  ~BriefHold();
  BriefHold(const BriefHold&) = delete;
  BriefHold& operator=(const BriefHold&) = delete;

  bool holding() const { return file_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE file_;
  HANDLE stop_;
  std::thread releaser_;
};

}  // namespace tarvik::testing
