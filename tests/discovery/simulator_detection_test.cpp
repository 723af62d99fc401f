#include "discovery/simulator_detection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/runtime_error.h"
#include "tests/support/fake_registry.h"

namespace tarvik {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::FakeRegistry;

constexpr char kRow1[] = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1";
constexpr char kRow2[] = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0";
constexpr char kRow3[] = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\8.0";
constexpr char kLabel61[] = "  Fs2000 (versie 6.1)     ";
constexpr char kLabel70[] = "  Fs2000 (versie 7.0)     ";
constexpr char kLabel80[] = "  Fs2002 (versie 8.0)     ";

struct Scan {
  std::string folder;
  std::string label;
  bool operator==(const Scan&) const = default;
};

void PrintTo(const Scan& scan, std::ostream* out) {
  *out << "(\"" << scan.folder << "\", \"" << scan.label << "\")";
}

class DetectSimulatorsTest : public ::testing::Test {
 protected:
  std::vector<Scan> detect() {
    std::vector<Scan> scans;
    DetectSimulators(registry, [&scans](const std::string& folder, const std::string& label) {
      scans.push_back({folder, label});
    });
    return scans;
  }
  FakeRegistry registry;
};

TEST_F(DetectSimulatorsTest, LabelsAreExactly26Characters) {
  EXPECT_EQ(std::string(kFs2000Version61Label), kLabel61);
  EXPECT_EQ(std::string(kFs2000Version70Label), kLabel70);
  EXPECT_EQ(std::string(kFs2002Version80Label), kLabel80);
  for (const std::string label : {kLabel61, kLabel70, kLabel80}) EXPECT_EQ(label.size(), 26u);
}

TEST_F(DetectSimulatorsTest, NoSimulatorMeansNoScan) {
  EXPECT_THAT(detect(), IsEmpty());
  EXPECT_THAT(registry.opened(), ElementsAre(kRow1, kRow2, kRow3));
}

TEST_F(DetectSimulatorsTest, Row1AloneIsScannedWithItsOwnLabel) {
  registry.setString(kRow1, "path", "C:\\FS61");
  EXPECT_THAT(detect(), ElementsAre(Scan{"C:\\FS61", kLabel61}));
}

TEST_F(DetectSimulatorsTest, Row2TakesPrecedenceOverRow1) {
  registry.setString(kRow1, "path", "C:\\FS61");
  registry.setString(kRow2, "path", "C:\\FS70");
  EXPECT_THAT(detect(), ElementsAre(Scan{"C:\\FS70", kLabel70}));
}

TEST_F(DetectSimulatorsTest, ABlankRow2FallsBackToRow1) {
  registry.setString(kRow1, "path", "C:\\FS61");
  registry.setString(kRow2, "path", "    ");
  EXPECT_THAT(detect(), ElementsAre(Scan{"C:\\FS61", kLabel61}));
}

TEST_F(DetectSimulatorsTest, ARow2ThatCannotBeOpenedOrReadFallsBackToRow1) {
  registry.setString(kRow1, "path", "C:\\FS61");
  registry.setString(kRow2, "path", "C:\\FS70");
  registry.denyOpening(kRow2);
  EXPECT_THAT(detect(), ElementsAre(Scan{"C:\\FS61", kLabel61}));

  FakeRegistry expand;
  expand.setString(kRow1, "path", "C:\\FS61");
  expand.setString(kRow2, "path", "C:\\FS70", registry_type::kExpandString);
  std::vector<Scan> scans;
  DetectSimulators(expand, [&](const std::string& f, const std::string& l) {
    scans.push_back({f, l});
  });
  EXPECT_THAT(scans, ElementsAre(Scan{"C:\\FS61", kLabel61}));
}

TEST_F(DetectSimulatorsTest, Fs2002NeedsItsExePathValue) {
  registry.setString(kRow3, "path", "C:\\FS2002");
  EXPECT_THAT(detect(), IsEmpty());
  registry.setString(kRow3, "EXE path", "C:\\FS2002");
  EXPECT_THAT(detect(), ElementsAre(Scan{"C:\\FS2002", kLabel80}));
}

TEST_F(DetectSimulatorsTest, Fs2000IsScannedBeforeFs2002AndRow3IsReadOnlyAfterIt) {
  registry.setString(kRow2, "path", "C:\\FS70");
  registry.setString(kRow3, "EXE path", "C:\\FS2002");
  std::vector<std::size_t> keysOpenedAtScan;
  std::vector<Scan> scans;
  DetectSimulators(registry, [&](const std::string& folder, const std::string& label) {
    keysOpenedAtScan.push_back(registry.opened().size());
    scans.push_back({folder, label});
  });
  EXPECT_THAT(scans, ElementsAre(Scan{"C:\\FS70", kLabel70}, Scan{"C:\\FS2002", kLabel80}));
  EXPECT_THAT(keysOpenedAtScan, ElementsAre(2u, 3u));
}

TEST_F(DetectSimulatorsTest, Row1AndRow3BothScanned) {
  registry.setString(kRow1, "path", "C:\\FS61");
  registry.setString(kRow3, "EXE path", "D:\\FS2002");
  EXPECT_THAT(detect(),
              ElementsAre(Scan{"C:\\FS61", kLabel61}, Scan{"D:\\FS2002", kLabel80}));
}

TEST_F(DetectSimulatorsTest, ExpandableStringsCountAsAbsent) {
  registry.setString(kRow2, "path", "%ProgramFiles%\\FS2000", registry_type::kExpandString);
  registry.setString(kRow3, "EXE path", "%ProgramFiles%\\FS2002", registry_type::kExpandString);
  EXPECT_THAT(detect(), IsEmpty());
}

TEST_F(DetectSimulatorsTest, FoldersArePassedOnExactlyAsRead) {
  registry.setString(kRow2, "path", std::string("C:\\FS2000\0D:\\Other", 18));
  registry.setString(kRow3, "EXE path", "  C:\\FS2002\\  ");
  EXPECT_THAT(detect(), ElementsAre(Scan{"C:\\FS2000", kLabel70},
                                    Scan{"  C:\\FS2002\\  ", kLabel80}));
}

TEST_F(DetectSimulatorsTest, ADwordPathIsHandedOnAsItsDecimalText) {
  registry.setDword(kRow2, "path", 2000);
  registry.setDword(kRow3, "EXE path", -2);
  EXPECT_THAT(detect(), ElementsAre(Scan{"2000", kLabel70}, Scan{"-2", kLabel80}));
}

TEST_F(DetectSimulatorsTest, OnlyBlanksCountAsEmpty) {
  registry.setString(kRow2, "path", "");
  registry.setString(kRow3, "EXE path", "\t");
  EXPECT_THAT(detect(), ElementsAre(Scan{"\t", kLabel80}));
}

TEST_F(DetectSimulatorsTest, FailuresOfAScanAreNotCaught) {
  registry.setString(kRow2, "path", "C:\\FS70");
  registry.setString(kRow3, "EXE path", "C:\\FS2002");
  int scans = 0;
  EXPECT_THROW(DetectSimulators(registry,
                                [&scans](const std::string&, const std::string&) {
                                  ++scans;
                                  throw fileError(error_number::kPathNotFound);
                                }),
               RuntimeError);
  EXPECT_EQ(scans, 1);
}

}  // namespace
}  // namespace tarvik
