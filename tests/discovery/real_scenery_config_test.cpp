// The scan over real scenery.cfg files of later simulators, which keep the same format.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "discovery/text_functions.h"
#include "tests/discovery/scan_fixture.h"

namespace tarvik::testing {
namespace {

using ::testing::ElementsAre;

const std::filesystem::path kData = TARVIK_DISCOVERY_TEST_DATA;

// The relative paths of the file's "Local=" lines, in file order: the oracle for a world in
// which every configured folder holds a marker.
std::vector<std::string> configuredPaths(const std::string& text) {
  std::vector<std::string> paths;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (line.starts_with("Local=")) paths.push_back(line.substr(6));
    start = end + 2;
  }
  return paths;
}

class RealConfigTest : public ScanTest {
 protected:
  std::string install(const std::string& file) {
    const std::string text = readFile(kData / file);
    EXPECT_FALSE(text.empty()) << (kData / file);
    root.write("c/FS/scenery.cfg", text);
    return text;
  }
  void scanInstalled() { scanner.ScanSceneryConfig("C:\\FS", kLabel70); }
};

TEST_F(RealConfigTest, EveryConfiguredFolderOfEachFileIsFound) {
  struct Sample {
    std::string file;
    std::size_t areas;
  };
  for (const Sample& sample : {Sample{"fsx-default-tpn.cfg", 120},
                               Sample{"esp-ids-flight-trainer.cfg", 124},
                               Sample{"fsx-fragment-pastebin-jWrAYYAS.cfg", 3}}) {
    SCOPED_TRACE(sample.file);
    TempFolder world;
    PosixFileSystem disk(world.path());
    MemoryCheckList folders, lines;
    SceneryConfigScan scan(disk, folders, lines);
    const std::string text = readFile(kData / sample.file);
    world.write("c/FS/scenery.cfg", text);
    const auto paths = configuredPaths(text);
    ASSERT_EQ(paths.size(), sample.areas);
    std::vector<std::string> expected;
    for (const std::string& path : paths) {
      std::string relative = "c/FS/" + replaceAll(path, "\\", "/") + "/scenery/qiro.bgl";
      world.write(relative, "?");
      expected.push_back(lowerCase("c:\\fs\\" + path));
    }
    scan.ScanSceneryConfig("C:\\FS", kLabel70);
    EXPECT_EQ(folders.texts(), expected);
    ASSERT_EQ(lines.count(), folders.count());
    for (int i = 0; i < lines.count(); ++i) {
      EXPECT_EQ(lines.text(i), std::string(kLabel70) + kTextUnknown + folders.text(i));
      EXPECT_FALSE(lines.selected(i));
    }
  }
}

TEST_F(RealConfigTest, StockFsxFileWithTheAddOnInThreeOfItsFolders) {
  install("fsx-default-tpn.cfg");
  placeMarker("C:\\FS\\Scenery\\World", kVersion10);
  placeMarker("C:\\FS\\Scenery\\0101", kVersion21);
  placeMarker("C:\\FS\\Addon Scenery", kVersion20);
  scanInstalled();
  EXPECT_THAT(found(), ElementsAre("c:\\fs\\scenery\\0101", "c:\\fs\\addon scenery"));
  EXPECT_THAT(list2.ticks(), ElementsAre(false, true));
  EXPECT_EQ(list2.text(1), std::string(kLabel70) + kText20 + "c:\\fs\\addon scenery");
}

TEST_F(RealConfigTest, EspFileWithTheAddOnInAnAirportFolder) {
  install("esp-ids-flight-trainer.cfg");
  placeMarker("C:\\FS\\Scenery\\Airports\\Prescott", kVersion20);
  placeMarker("C:\\FS\\Scenery\\Airports\\Koblenz", kVersion11);
  scanInstalled();
  EXPECT_THAT(found(), ElementsAre("c:\\fs\\scenery\\airports\\prescott"));
  EXPECT_THAT(list2.ticks(), ElementsAre(true));
}

TEST_F(RealConfigTest, FragmentWithoutAFinalLineEndFindsItsLastArea) {
  install("fsx-fragment-pastebin-jWrAYYAS.cfg");
  placeMarker("C:\\FS\\ORBX\\FTX_OLC\\OLC_AA", kVersion21);
  placeMarker("C:\\FS\\Scenery\\Cities\\Orlando", 1);
  scanInstalled();
  EXPECT_THAT(found(),
              ElementsAre("c:\\fs\\scenery\\cities\\orlando", "c:\\fs\\orbx\\ftx_olc\\olc_aa"));
  EXPECT_THAT(list2.texts(),
              ElementsAre(std::string(kLabel70) + kTextUnknown + "c:\\fs\\scenery\\cities\\orlando",
                          std::string(kLabel70) + kText21 + "c:\\fs\\orbx\\ftx_olc\\olc_aa"));
}

}  // namespace
}  // namespace tarvik::testing
