// tarvik_discovery_bench [ENTRIES...]: the time the installer's discovery takes against the
// number of entries it finds, with the real main window (run it under Wine, on a display). For
// each count it writes a scenery.cfg whose lines all name one add-on folder, scans it into the
// window's lists and shows the window, and prints the time from the start of the scan until the
// window has been shown and painted. The lists stop at 32767 entries.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "app/win32/message_loop.h"
#include "discovery/scenery_config_scan.h"
#include "platform/win32/win32_platform.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kVersion21MarkerSize = 1040543;  // offered, not ticked
constexpr char kLabel[] = "  Fs2000 (versie 7.0)     ";

void writeConfig(const fs::path& simulator, const std::string& line, int lines) {
  std::ofstream config(simulator / "scenery.cfg", std::ios::binary);
  for (int i = 0; i < lines; ++i) config << "[Area." << i << "]\r\n" << line << "\r\n";
}

double secondsToShow(const fs::path& root, int lines, int& entries) {
  const fs::path simulator = root / "sim";
  writeConfig(simulator, "Local=" + (root / "addon").string(), lines);
  const auto files = tarvik::makeWin32FileSystem();
  tarvik::MainWindow window;
  const auto start = std::chrono::steady_clock::now();
  tarvik::SceneryConfigScan scan(*files, window.list1(), window.list2());
  scan.ScanSceneryConfig(simulator.string(), kLabel);
  window.show(SW_SHOWNOACTIVATE);
  tarvik::processPendingMessages();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  entries = window.list1().count();
  return took.count();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {100, 1000, 3000, 10000, 32767};

  const fs::path root = fs::temp_directory_path() / "tarvik_discovery_bench";
  fs::remove_all(root);
  fs::create_directories(root / "sim");
  fs::create_directories(root / "addon" / "scenery");
  std::ofstream(root / "addon" / "scenery" / "qiro.bgl").close();
  fs::resize_file(root / "addon" / "scenery" / "qiro.bgl", kVersion21MarkerSize);

  std::printf("%8s %8s %10s %14s\n", "lines", "entries", "seconds", "ms/1000 entries");
  for (const int lines : counts) {
    int entries = 0;
    const double seconds = secondsToShow(root, lines, entries);
    std::printf("%8d %8d %10.3f %14.1f\n", lines, entries, seconds,
                entries ? seconds * 1e6 / entries : 0.0);
    std::fflush(stdout);
  }
  fs::remove_all(root);
  return 0;
}
