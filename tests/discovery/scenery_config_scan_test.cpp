#include "discovery/scenery_config_scan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "discovery/candidate_lists.h"
#include "tests/discovery/scan_fixture.h"

namespace tarvik::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(ScanTest, AMissingOrUnnamedConfigurationAddsNothing) {
  placeMarker("C:\\Games\\FS2000\\Scenery\\Addon");
  scanner.ScanSceneryConfig(kFs2000, kLabel70);
  scanner.ScanSceneryConfig("C:\\NoSuchSimulator", kLabel70);
  scanner.ScanSceneryConfig("", kLabel70);
  scanner.ScanSceneryConfig("   ", kLabel70);
  EXPECT_THAT(found(), IsEmpty());
  EXPECT_THAT(files.existenceTests(), IsEmpty());
}

TEST_F(ScanTest, OnlyLinesContainingLocalAreUsed) {
  placeMarker("C:\\Games\\FS2000\\Scenery\\Addon");
  scan({"[Area.001]", "Title=Scenery\\Addon", "Remote=Scenery\\Addon", "Layer=1", "Active=TRUE",
        "Local Scenery\\Addon", ""});
  EXPECT_THAT(found(), IsEmpty());
  EXPECT_THAT(files.existenceTests(), IsEmpty());
}

TEST_F(ScanTest, TheKeyIsFoundInAnyLetterCase) {
  placeMarker("C:\\Games\\FS2000\\Scenery\\Addon");
  scan({"LOCAL=Scenery\\Addon", "Local=Scenery\\Addon", "lOcAl=Scenery\\Addon"});
  EXPECT_THAT(found(), ElementsAre("c:\\games\\fs2000\\scenery\\addon",
                                   "c:\\games\\fs2000\\scenery\\addon",
                                   "c:\\games\\fs2000\\scenery\\addon"));
}

TEST_F(ScanTest, AFolderNamedByManyLinesIsLookedAtOnceInAConfigurationAndListedForEach) {
  placeMarker("C:\\Games\\FS2000\\Scenery\\Addon");
  const std::vector<std::string> lines = {"Local=Scenery\\Addon", "Local=Scenery\\Gone",
                                          "Local=Scenery\\Addon", "Local=Scenery\\Gone"};
  scan(lines);
  scan(lines);
  EXPECT_EQ(list1.count(), 4);
  EXPECT_EQ(files.existenceTests().size(), 6u) << "3 for each configuration, none for a line again";
}

TEST_F(ScanTest, RuleAOneGroupClimbsToTheSimulatorsParent) {
  placeMarker("C:\\Games\\Addons\\Area");
  scan({"Local=..\\Addons\\Area"});
  EXPECT_THAT(found(), ElementsAre("c:\\games\\addons\\area"));
  EXPECT_EQ(scanner.parentLevelCount(), 2);
}

TEST_F(ScanTest, RuleATwoGroupsClimbToTheRoot) {
  placeMarker("C:\\Area");
  scan({"Local=..\\..\\Area"});
  EXPECT_THAT(found(), ElementsAre("c:\\area"));
  EXPECT_EQ(scanner.parentLevelCount(), 3);
}

TEST_F(ScanTest, RuleAResetsTheCounterForEveryLine) {
  placeMarker("C:\\Area");
  placeMarker("C:\\Games\\Area");
  scan({"Local=..\\..\\Area", "Local=..\\Area", "Local=..\\..\\Area"});
  EXPECT_THAT(found(), ElementsAre("c:\\area", "c:\\games\\area", "c:\\area"));
  EXPECT_EQ(scanner.parentLevelCount(), 3);
}

TEST_F(ScanTest, RuleAAboveTheRootOfTheDriveIsSkipped) {
  placeMarker("C:\\Area");
  placeMarker("C:\\Games\\Area");
  scan({"Local=..\\..\\..\\Area", "Local=..\\Area", "Local=..\\..\\..\\..\\..\\Area"});
  EXPECT_THAT(found(), ElementsAre("c:\\games\\area"));
  EXPECT_THAT(files.existenceTests(), ElementsAre("c:\\games\\area\\scenery\\qiro.bgl"));
}

TEST_F(ScanTest, RuleAWithASimulatorFolderEndingInASeparator) {
  placeMarker("C:\\Games\\Area");
  writeConfig(kFs2000, {"Local=..\\Area"});
  scanner.ScanSceneryConfig("C:\\Games\\FS2000\\", kLabel70);
  EXPECT_THAT(found(), ElementsAre("c:\\games\\area"));
}

TEST_F(ScanTest, ASmallFirstLetterIsNoRuleAAndKeepsTheParentReference) {
  placeMarker("C:\\Games\\Area");
  scan({"local=..\\Area"});
  EXPECT_THAT(found(), ElementsAre("c:\\games\\fs2000\\..\\area"));
}

TEST_F(ScanTest, RuleBTakesAPathWithADriveLetter) {
  placeMarker("D:\\Addons\\Area");
  scan({"Local=D:\\Addons\\Area", "Local=d:\\ADDONS\\AREA"});
  EXPECT_THAT(found(), ElementsAre("d:\\addons\\area", "d:\\addons\\area"));
}

TEST_F(ScanTest, LeadingSpacesTurnADrivePathIntoRuleC) {
  placeMarker("D:\\Addons\\Area");
  scan({"  Local=D:\\Addons\\Area"});
  EXPECT_THAT(found(), IsEmpty());
  EXPECT_THAT(files.existenceTests(),
              ElementsAre("c:\\games\\fs2000\\d:\\addons\\area\\scenery\\qiro.bgl",
                          "c:\\games\\fs2000\\d:\\addons\\area\\scenery\\qiro.bgl"));
}

TEST_F(ScanTest, TrailingSpacesStayUnderRulesAAndBAndAreTrimmedUnderRuleC) {
  placeMarker("C:\\Games\\Area");
  placeMarker("D:\\Addons\\Area");
  placeMarker("C:\\Games\\FS2000\\Scenery\\Addon");
  scan({"Local=..\\Area  ", "Local=D:\\Addons\\Area  ", "  Local=Scenery\\Addon  "});
  EXPECT_THAT(found(), ElementsAre("c:\\games\\fs2000\\scenery\\addon"));
  EXPECT_EQ(files.existenceTests().at(0), "c:\\games\\area  \\scenery\\qiro.bgl");
  EXPECT_EQ(files.existenceTests().at(2), "d:\\addons\\area  \\scenery\\qiro.bgl");
}

TEST_F(ScanTest, RuleCAddsASeparatorEvenAfterOne) {
  placeMarker("C:\\Games\\FS2000\\Scenery\\Addon");
  writeConfig(kFs2000, {"Local=Scenery\\Addon"});
  scanner.ScanSceneryConfig("C:\\Games\\FS2000\\", kLabel70);
  EXPECT_THAT(found(), ElementsAre("c:\\games\\fs2000\\\\scenery\\addon"));
}

TEST_F(ScanTest, ANetworkPathIsJoinedToTheSimulatorFolder) {
  scan({"Local=\\\\server\\share\\Area"});
  EXPECT_THAT(found(), IsEmpty());
  EXPECT_EQ(files.existenceTests().at(0),
            "c:\\games\\fs2000\\\\\\server\\share\\area\\scenery\\qiro.bgl");
}

TEST_F(ScanTest, TheEighthCharacterCountsCharactersNotBytes) {
  // "Local=Ä:\Area": the drive letter is a two-byte character, so the 8th byte is not ":".
  scan({"Local=\xC3\x84:\\Area"});
  EXPECT_EQ(files.existenceTests().at(0), "\xC3\xA4:\\area\\scenery\\qiro.bgl");
}

TEST_F(ScanTest, FolderPathsAreLowerCasedBeyondAscii) {
  root.writeSized("d/\xC3\xA4" "ddons/area/scenery/qiro.bgl", kVersion21);
  scan({"Local=D:\\\xC3\x84" "DDONS\\Area"});
  EXPECT_THAT(found(), ElementsAre("d:\\\xC3\xA4" "ddons\\area"));
}

TEST_F(ScanTest, ALineNamingTheScenerySubFolderListsItsParent) {
  placeMarker("D:\\Addons\\Area");
  placeMarker("C:\\Games\\FS2000\\Addon");
  scan({"Local=D:\\Addons\\Area\\scenery", "Local=Addon\\SCENERY"});
  EXPECT_THAT(found(), ElementsAre("d:\\addons\\area", "c:\\games\\fs2000\\addon"));
  EXPECT_THAT(files.existenceTests(),
              ElementsAre("d:\\addons\\area\\scenery\\scenery\\qiro.bgl",
                          "d:\\addons\\area\\scenery\\qiro.bgl",
                          "c:\\games\\fs2000\\addon\\scenery\\scenery\\qiro.bgl",
                          "c:\\games\\fs2000\\addon\\scenery\\qiro.bgl"));
}

TEST_F(ScanTest, TheDirectMarkerWinsOverTheAlternative) {
  placeMarker("D:\\Area\\scenery", kVersion21);
  placeMarker("D:\\Area", kVersion20);
  scan({"Local=D:\\Area\\Scenery"});
  EXPECT_THAT(found(), ElementsAre("d:\\area\\scenery"));
  EXPECT_EQ(list2.text(0), std::string(kLabel70) + kText21 + "d:\\area\\scenery");
}

TEST_F(ScanTest, AFolderAtTheMarkerPathIsNoMarker) {
  root.makeFolder("d/area/scenery/qiro.bgl");
  scan({"Local=D:\\Area"});
  EXPECT_THAT(found(), IsEmpty());
}

TEST_F(ScanTest, TheMarkerSizeDecidesVersionAndTick) {
  placeMarker("D:\\V10", kVersion10);
  placeMarker("D:\\V11", kVersion11);
  placeMarker("D:\\V20", kVersion20);
  placeMarker("D:\\V21", kVersion21);
  placeMarker("D:\\Other", 12345);
  placeMarker("D:\\Empty", 0);
  scan({"Local=D:\\V10", "Local=D:\\V11", "Local=D:\\V20", "Local=D:\\V21", "Local=D:\\Other",
        "Local=D:\\Empty"});
  EXPECT_THAT(found(), ElementsAre("d:\\v20", "d:\\v21", "d:\\other", "d:\\empty"));
  EXPECT_THAT(list2.texts(), ElementsAre(std::string(kLabel70) + kText20 + "d:\\v20",
                                         std::string(kLabel70) + kText21 + "d:\\v21",
                                         std::string(kLabel70) + kTextUnknown + "d:\\other",
                                         std::string(kLabel70) + kTextUnknown + "d:\\empty"));
  EXPECT_THAT(list2.ticks(), ElementsAre(true, false, false, false));
  EXPECT_THAT(list1.ticks(), ElementsAre(false, false, false, false));
}

TEST_F(ScanTest, SameFolderTwiceGivesTwoEntries) {
  placeMarker("D:\\Area");
  scan({"Local=D:\\Area", "Local=D:\\AREA"});
  EXPECT_THAT(found(), ElementsAre("d:\\area", "d:\\area"));
  EXPECT_THAT(list2.ticks(), ElementsAre(true, true));
}

TEST_F(ScanTest, EachSimulatorAddsItsOwnEntryForASharedFolder) {
  placeMarker("D:\\Tarvik", kVersion21);
  writeConfig(kFs2000, {"Local=D:\\Tarvik"});
  writeConfig("C:\\Games\\FS2002", {"Local=D:\\Tarvik"});
  scanner.ScanSceneryConfig(kFs2000, kLabel70);
  scanner.ScanSceneryConfig("C:\\Games\\FS2002", kLabel80);
  EXPECT_THAT(found(), ElementsAre("d:\\tarvik", "d:\\tarvik"));
  EXPECT_THAT(list2.texts(), ElementsAre(std::string(kLabel70) + kText21 + "d:\\tarvik",
                                         std::string(kLabel80) + kText21 + "d:\\tarvik"));
}

TEST_F(ScanTest, EveryKindOfLineEndEndsALine) {
  placeMarker("D:\\A");
  placeMarker("D:\\B");
  placeMarker("D:\\C");
  placeMarker("D:\\D");
  root.write("c/Games/FS2000/scenery.cfg", "Local=D:\\A\r\nLocal=D:\\B\rLocal=D:\\C\nLocal=D:\\D");
  scanner.ScanSceneryConfig(kFs2000, kLabel70);
  EXPECT_THAT(found(), ElementsAre("d:\\a", "d:\\b", "d:\\c", "d:\\d"));
}

TEST_F(ScanTest, AnEmptyConfigurationAddsNothing) {
  root.write("c/Games/FS2000/scenery.cfg", "");
  scanner.ScanSceneryConfig(kFs2000, kLabel70);
  EXPECT_THAT(found(), IsEmpty());
}

// A list that logs what is done to it, so that the order of the steps across both lists shows.
class LoggingCheckList : public MemoryCheckList {
 public:
  LoggingCheckList(std::string name, std::vector<std::string>& log) : name_(name), log_(log) {}
  void addItem(const std::string& text) override {
    log_.push_back(name_ + " add");
    MemoryCheckList::addItem(text);
  }
  void setSelected(int index, bool selected) override {
    log_.push_back(name_ + " tick " + std::to_string(index) + (selected ? " on" : " off"));
    MemoryCheckList::setSelected(index, selected);
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

TEST_F(ScanTest, AppendsToList1ThenList2AndTicksTheEntryJustAppended) {
  std::vector<std::string> log;
  LoggingCheckList first("List1", log);
  LoggingCheckList second("List2", log);
  first.addItem("d:\\earlier");
  second.addItem("earlier line");
  log.clear();
  SceneryConfigScan scan(files, first, second);
  placeMarker("D:\\V20", kVersion20);
  placeMarker("D:\\V21", kVersion21);
  writeConfig(kFs2000, {"Local=D:\\V20", "Local=D:\\V21"});
  scan.ScanSceneryConfig(kFs2000, kLabel70);
  EXPECT_THAT(log, ElementsAre("List1 add", "List2 add", "List2 tick 1 on", "List1 add",
                               "List2 add", "List2 tick 2 off"));
  EXPECT_THAT(second.ticks(), ElementsAre(false, true, false));
}

TEST_F(ScanTest, AConfigurationThatCannotBeReadAddsNothing) {
  placeMarker("D:\\Area");
  writeConfig(kFs2000, {"Local=D:\\Area"});
  files.failReading("C:\\Games\\FS2000\\scenery.cfg");
  scanner.ScanSceneryConfig(kFs2000, kLabel70);
  EXPECT_THAT(found(), IsEmpty());
  // The next simulator is scanned as usual.
  writeConfig("C:\\FS2002", {"Local=D:\\Area"});
  scanner.ScanSceneryConfig("C:\\FS2002", kLabel80);
  EXPECT_THAT(found(), ElementsAre("d:\\area"));
}

TEST_F(ScanTest, AConfigurationPathThatIsAFolderAddsNothing) {
  placeMarker("D:\\Area");
  root.makeFolder("c/Games/FS2000/scenery.cfg");
  scanner.ScanSceneryConfig(kFs2000, kLabel70);
  EXPECT_THAT(found(), IsEmpty());
}

TEST_F(ScanTest, AMarkerWhoseSizeCannotBeReadSkipsOnlyItsLine) {
  placeMarker("D:\\A");
  placeMarker("D:\\B", kVersion21);
  files.failSize("d:\\a\\scenery\\qiro.bgl");
  scan({"Local=D:\\A", "Local=D:\\B", "Local=D:\\A"});
  EXPECT_THAT(found(), ElementsAre("d:\\b"));
  EXPECT_THAT(list2.ticks(), ElementsAre(false));
}

TEST_F(ScanTest, TheListsStopAtTheirLastEntryAndStayParallel) {
  for (int i = 0; i < kMaxListEntries - 2; ++i) {
    list1.addItem("d:\\earlier");
    list2.addItem("earlier line d:\\earlier");
  }
  placeMarker("D:\\A");
  placeMarker("D:\\B");
  scan({"Local=D:\\A", "Local=D:\\A", "Local=D:\\B"});
  EXPECT_EQ(found().size(), static_cast<std::size_t>(kMaxListEntries));
  EXPECT_EQ(list2.count(), kMaxListEntries);
  EXPECT_EQ(list1.text(kMaxListEntries - 1), "d:\\a");
  EXPECT_TRUE(list2.selected(kMaxListEntries - 1));
  // A folder from the picker is not appended either.
  EXPECT_FALSE(appendCandidate(list1, list2, "d:\\b", "picked d:\\b", true));
  EXPECT_EQ(list2.count(), kMaxListEntries);
}

}  // namespace
}  // namespace tarvik::testing
