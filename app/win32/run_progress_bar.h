#pragma once
// The run's progress bar below the main window's status line, and the same progress on the
// window's taskbar button (ITaskbarList3) where Windows offers it. Hidden until the run shows
// its first progress.

#include <windows.h>
#include <shobjidl.h>

#include <cstdint>
#include <memory>

namespace tarvik {

// The bar's child window number, beside the controls of the layout table.
constexpr int kRunProgressBarId = 1100;
// The bar's colour in the error state where the control draws no state of its own.
constexpr COLORREF kRunProgressErrorColour = RGB(204, 0, 0);

class RunProgressBar {
 public:
  // Creates the bar, hidden, in the free space below the status line.
  void create(HWND window, int dpi);
  // Puts it there at another DPI.
  void place(int dpi);
  HWND handle() const { return bar_; }

  // Shows done of total; the bar's range is total, halved until it fits the bar's 32 bits.
  void show(uint64_t done, uint64_t total);
  // Shows the error state (PBST_ERROR, and the error colour), once the bar is shown.
  void showFailed();

 private:
  void connectTaskbar();

  // COM for this thread, from the first use of the taskbar list to the bar's end.
  struct ComUse {
    ComUse() : started(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComUse() {
      if (started) CoUninitialize();
    }
    ComUse(const ComUse&) = delete;
    ComUse& operator=(const ComUse&) = delete;
    bool started;
  };
  struct Release {
    void operator()(IUnknown* object) const { object->Release(); }
  };

  HWND window_ = nullptr;
  HWND bar_ = nullptr;
  bool shown_ = false;
  std::unique_ptr<ComUse> com_;
  // Declared after com_, so released before it ends.
  std::unique_ptr<ITaskbarList3, Release> taskbar_;
};

}  // namespace tarvik
