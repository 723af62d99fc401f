// Detection and scan together, as the window runs them at start-up.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "discovery/simulator_detection.h"
#include "tests/discovery/scan_fixture.h"
#include "tests/support/fake_registry.h"

namespace tarvik::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kRow2[] = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0";
constexpr char kRow3[] = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\8.0";

class DiscoveryTest : public ScanTest {
 protected:
  void discover() {
    DetectSimulators(registry, [this](const std::string& folder, const std::string& label) {
      scanner.ScanSceneryConfig(folder, label);
    });
  }
  FakeRegistry registry;
};

TEST_F(DiscoveryTest, BothSimulatorsListTheSharedFolderFs2000First) {
  registry.setString(kRow2, "path", "C:\\Games\\FS2000");
  registry.setString(kRow3, "EXE path", "C:\\Games\\FS2002");
  writeConfig("C:\\Games\\FS2002", {"[Area.001]", "Local=..\\..\\Tarvik", "Local=Scenery\\World"});
  writeConfig("C:\\Games\\FS2000", {"[Area.001]", "Local=C:\\Tarvik"});
  placeMarker("C:\\Tarvik", kVersion20);
  placeMarker("C:\\Games\\FS2002\\Scenery\\World", kVersion21);
  discover();
  EXPECT_THAT(found(),
              ElementsAre("c:\\tarvik", "c:\\tarvik", "c:\\games\\fs2002\\scenery\\world"));
  EXPECT_THAT(list2.texts(),
              ElementsAre(std::string(kLabel70) + kText20 + "c:\\tarvik",
                          std::string(kLabel80) + kText20 + "c:\\tarvik",
                          std::string(kLabel80) + kText21 + "c:\\games\\fs2002\\scenery\\world"));
  EXPECT_THAT(list2.ticks(), ElementsAre(true, true, false));
}

TEST_F(DiscoveryTest, ASimulatorWithoutAConfigurationAddsNothing) {
  registry.setString(kRow2, "path", "C:\\Games\\FS2000");
  registry.setString(kRow3, "EXE path", "C:\\Games\\Missing");
  placeMarker("C:\\Games\\FS2000\\Tarvik", kVersion21);
  writeConfig("C:\\Games\\FS2000", {"Local=Tarvik"});
  discover();
  EXPECT_THAT(found(), ElementsAre("c:\\games\\fs2000\\tarvik"));
}

TEST_F(DiscoveryTest, NoSimulatorLeavesTheListsEmpty) {
  writeConfig("C:\\Games\\FS2000", {"Local=Tarvik"});
  placeMarker("C:\\Games\\FS2000\\Tarvik");
  discover();
  EXPECT_THAT(found(), IsEmpty());
}

}  // namespace
}  // namespace tarvik::testing
