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

struct Timing {
  int entries;
  double scan;   // the scan into the lists
  double shown;  // from the start of the scan until the window is shown and painted
};

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Timing discovery(const fs::path& root, int lines) {
  const fs::path simulator = root / "sim";
  writeConfig(simulator, "Local=" + (root / "addon").string(), lines);
  const auto files = tarvik::makeWin32FileSystem();
  tarvik::MainWindow window;
  const auto start = std::chrono::steady_clock::now();
  tarvik::SceneryConfigScan scan(*files, window.list1(), window.list2());
  scan.ScanSceneryConfig(simulator.string(), kLabel);
  const double scanned = secondsSince(start);
  window.show(SW_SHOWNOACTIVATE);
  tarvik::processPendingMessages();
  return {window.list1().count(), scanned, secondsSince(start)};
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

  std::printf("%8s %8s %10s %10s %16s\n", "lines", "entries", "scan s", "shown s",
              "ms per 1000 shown");
  for (const int lines : counts) {
    const Timing t = discovery(root, lines);
    std::printf("%8d %8d %10.3f %10.3f %16.1f\n", lines, t.entries, t.scan, t.shown,
                t.entries ? t.shown * 1e6 / t.entries : 0.0);
    std::fflush(stdout);
  }
  fs::remove_all(root);
  return 0;
}
