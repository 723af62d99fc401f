#pragma once
// A simulator world on disk for the scan tests: Windows-style paths map below a temporary
// root ("C:\Games\FS2000" is <root>/c/Games/FS2000), the two lists live in memory.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/scenery_config_scan.h"
#include "platform/posix/posix_file_system.h"
#include "tests/discovery/probing_file_system.h"
#include "tests/support/memory_check_list.h"
#include "tests/support/temp_folder.h"

namespace tarvik::testing {

inline constexpr uint64_t kVersion10 = 442751;
inline constexpr uint64_t kVersion11 = 460674;
inline constexpr uint64_t kVersion20 = 1071681;
inline constexpr uint64_t kVersion21 = 1040543;

inline constexpr char kFs2000[] = "C:\\Games\\FS2000";
inline constexpr char kLabel70[] = "  Fs2000 (versie 7.0)     ";
inline constexpr char kLabel80[] = "  Fs2002 (versie 8.0)     ";
inline constexpr char kText20[] = "Tarvik versie 2.0         ";
inline constexpr char kText21[] = "Tarvik versie 2.1         ";
inline constexpr char kTextUnknown[] = "Tarvik versie onbekend    ";

class ScanTest : public ::testing::Test {
 protected:
  // Writes scenery.cfg into a folder given as a Windows path, lines ended by lineEnd.
  void writeConfig(const std::string& folder, const std::vector<std::string>& lines,
                   const std::string& lineEnd = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text += line + lineEnd;
    root.write(below(folder) + "/scenery.cfg", text);
  }
  // Puts a marker file of the given size into the folder's scenery sub-folder.
  void placeMarker(const std::string& folder, uint64_t size = kVersion20) {
    root.writeSized(below(folder) + "/scenery/qiro.bgl", size);
  }
  void scan(const std::vector<std::string>& lines, const std::string& label = kLabel70) {
    writeConfig(kFs2000, lines);
    scanner.ScanSceneryConfig(kFs2000, label);
  }
  // The folder paths found, after checking that the lists are parallel.
  std::vector<std::string> found() const {
    EXPECT_EQ(list1.count(), list2.count());
    for (int i = 0; i < list1.count() && i < list2.count(); ++i) {
      const std::string line = list2.text(i);
      EXPECT_TRUE(line.ends_with(list1.text(i))) << line;
    }
    return list1.texts();
  }

  // "C:\Games\FS2000" as the relative path "c/Games/FS2000" below the root.
  static std::string below(const std::string& windowsPath) {
    std::string relative(1, static_cast<char>(std::tolower(windowsPath[0])));
    for (std::size_t i = 2; i < windowsPath.size(); ++i)
      relative.push_back(windowsPath[i] == '\\' ? '/' : windowsPath[i]);
    return relative;
  }

  TempFolder root;
  PosixFileSystem disk{root.path()};
  ProbingFileSystem files{disk};
  MemoryCheckList list1;
  MemoryCheckList list2;
  SceneryConfigScan scanner{files, list1, list2};
};

}  // namespace tarvik::testing
