// The scan end to end on real Windows paths, through the Win32 file system.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "discovery/scenery_config_scan.h"
#include "discovery/text_functions.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"
#include "tests/support/memory_check_list.h"
#include "tests/support/temp_folder.h"

namespace tarvik {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

constexpr uint64_t kVersion10 = 442751;
constexpr uint64_t kVersion20 = 1071681;
constexpr uint64_t kVersion21 = 1040543;
constexpr char kLabel[] = "  Fs2000 (versie 7.0)     ";

class Win32ScanTest : public ::testing::Test {
 protected:
  // The Windows path of the temporary folder, without a trailing separator, e.g.
  // "C:\users\me\AppData\Local\Temp\tarvik-test-1".
  std::string base() const { return narrow(root.path().wstring()); }
  void placeMarker(const std::string& relative, uint64_t size) {
    root.writeSized(relative + "/scenery/qiro.bgl", size);
  }
  void writeConfig(const std::string& text) { root.write("Games/FS2000/scenery.cfg", text); }
  void scan() { scanner.ScanSceneryConfig(base() + "\\Games\\FS2000", kLabel); }

  testing::TempFolder root;
  std::unique_ptr<FileSystem> files = makeWin32FileSystem();
  testing::MemoryCheckList list1;
  testing::MemoryCheckList list2;
  SceneryConfigScan scanner{*files, list1, list2};
};

TEST_F(Win32ScanTest, FindsTheAddOnByEachRule) {
  ASSERT_EQ(base()[1], ':') << "the temporary folder must have a drive letter";
  placeMarker("Games/Addons/Area", kVersion20);           // Rule A
  placeMarker("Tarvik", kVersion21);                      // Rule B
  placeMarker("Alternative", kVersion20);                 // Rule B, naming the scenery folder
  placeMarker("Old", kVersion10);                         // Rule B, too old to be offered
  placeMarker("Games/FS2000/Scenery/Tarvik Addon", 77);   // Rule C, unknown version
  writeConfig("[General]\r\nTitle=FS2000 World Scenery\r\n"
              "[Area.001]\r\nTitle=Tarvik\r\nLocal=..\\Addons\\Area\r\nActive=TRUE\r\n"
              "[Area.002]\r\nLocal=" + base() + "\\TARVIK\r\n"
              "[Area.003]\r\nLocal=" + base() + "\\Alternative\\Scenery\r\n"
              "[Area.004]\r\nLocal=" + base() + "\\Old\r\n"
              "[Area.005]\r\n  LOCAL=Scenery\\Tarvik Addon  \r\n"
              "[Area.006]\r\nLocal=..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\Area\r\n"
              "[Area.007]\r\nLocal=Scenery\\Missing\r");
  scan();
  const std::string lower = lowerCase(base());
  EXPECT_THAT(list1.texts(), ElementsAre(lower + "\\games\\addons\\area", lower + "\\tarvik",
                                         lower + "\\alternative",
                                         lower + "\\games\\fs2000\\scenery\\tarvik addon"));
  EXPECT_THAT(list2.texts(),
              ElementsAre(std::string(kLabel) + "Tarvik versie 2.0         " + list1.text(0),
                          std::string(kLabel) + "Tarvik versie 2.1         " + list1.text(1),
                          std::string(kLabel) + "Tarvik versie 2.0         " + list1.text(2),
                          std::string(kLabel) + "Tarvik versie onbekend    " + list1.text(3)));
  EXPECT_THAT(list2.ticks(), ElementsAre(true, false, true, false));
}

TEST_F(Win32ScanTest, ParentRelativeLinesClimbFromTheSimulatorFolder) {
  placeMarker("Area", kVersion21);
  writeConfig("Local=..\\..\\Area\r\n");
  scan();
  EXPECT_THAT(list1.texts(), ElementsAre(lowerCase(base()) + "\\area"));
  EXPECT_EQ(scanner.parentLevelCount(), 3);
}

TEST_F(Win32ScanTest, AMissingConfigurationAddsNothing) {
  placeMarker("Games/FS2000/Scenery/Tarvik", kVersion20);
  scan();
  scanner.ScanSceneryConfig(base() + "\\NoSimulator", kLabel);
  scanner.ScanSceneryConfig("", kLabel);
  EXPECT_EQ(list1.count(), 0);
  EXPECT_EQ(list2.count(), 0);
}

TEST_F(Win32ScanTest, AConfigurationThatIsAFolderAddsNothing) {
  placeMarker("Tarvik", kVersion20);
  root.makeFolder("Games/FS2000/scenery.cfg");
  scan();
  EXPECT_EQ(list1.count(), 0);
  EXPECT_EQ(list2.count(), 0);
}

TEST_F(Win32ScanTest, NonAsciiFolderNamesAreReadInTheAnsiCodePageAndLowerCased) {
  if (GetACP() != 1252) GTEST_SKIP() << "the system's code page is " << GetACP();
  const fs::path folder = root.path() / L"\u00C4rea";  // "Ärea"
  fs::create_directories(folder / L"scenery");
  {
    const fs::path marker = folder / L"scenery" / L"qiro.bgl";
    std::FILE* out = _wfopen(marker.c_str(), L"wb");
    ASSERT_NE(out, nullptr);
    const std::string bytes(kVersion21, 'x');
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
  }
  // The line names the folder in code page 1252: "Ä" is the byte 0xC4.
  writeConfig("Local=" + base() + "\\\xC4REA\r\n");
  scan();
  EXPECT_THAT(list1.texts(), ElementsAre(lowerCase(base()) + "\\\xC3\xA4rea"));
}

}  // namespace
}  // namespace tarvik
