#pragma once
// Owners of Win32 handles, closed when they go.

#include <windows.h>

namespace tarvik {

template <BOOL(WINAPI* close)(HANDLE)>
class Win32Handle {
 public:
  explicit Win32Handle(HANDLE handle) : handle_(handle) {}
  ~Win32Handle() {
    if (valid()) close(handle_);
  }
  Win32Handle(const Win32Handle&) = delete;
  Win32Handle& operator=(const Win32Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

 private:
  HANDLE handle_;
};

using FileHandle = Win32Handle<CloseHandle>;  // CreateFile
using FindHandle = Win32Handle<FindClose>;    // FindFirstFile

}  // namespace tarvik
