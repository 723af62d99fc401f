// Members are decoded on several threads, yet every file, folder, line and callback must come
// as a single thread working through the archive in order would make them, on every run. The
// archives are large enough that later members are decoded while earlier ones are written, and
// each case runs many times, since a fault of order shows only on some runs.

#include <algorithm>
#include <functional>

#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 25;

class ArchiveOrderTest : public UnzipLibraryTest {
 protected:
  fs::path out() const { return temp.path() / "out"; }

  // Extracts the archive kRuns times into a fresh folder, hands each call to check, and expects
  // every run to call back exactly as the first did.
  void extractRepeatedly(const fs::path& zip, const std::function<void(UnzipCall&)>& check) {
    std::vector<std::string> firstEvents;
    for (int run = 0; run < kRuns && !HasFailure(); ++run) {
      SCOPED_TRACE("run " + std::to_string(run));
      fs::remove_all(out());
      UnzipCall call(zip, out());
      call.dcl.ndflag = 1;
      call.dcl.noflag = 1;
      check(call);
      EXPECT_EQ(call.callbacksOffThread, 0);
      if (run == 0)
        firstEvents = call.events;
      else
        EXPECT_EQ(call.events, firstEvents);
    }
  }
};

// A member, then one that needs its name for something else: a file x and a member inside a
// folder x, in either order. The first one is written, the second refused.
struct Clash {
  std::string first;
  std::string second;
};

class ClashTest : public ArchiveOrderTest, public ::testing::WithParamInterface<Clash> {};

TEST_P(ClashTest, TheFirstMemberIsWrittenAndTheSecondRefusedOnEveryRun) {
  const Clash clash = GetParam();
  const std::string firstData = sampleText(1500000, 7);
  ZipBuilder zip;
  // Large members first keep the workers busy, so that the clashing ones are decoded while the
  // calling thread is still on an earlier member.
  for (int i = 0; i < 3; ++i) zip.file("lead" + std::to_string(i) + ".bgl", sampleText(400000, i));
  zip.file(clash.first, firstData).file(clash.second, "second").file("z", "after");
  extractRepeatedly(archive(zip), [&](UnzipCall& call) {
    EXPECT_EQ(call.run(), TARVIK_UNZIP_WRITE_ERROR);
    ASSERT_TRUE(fs::is_regular_file(out() / clash.first));
    EXPECT_EQ(readFile(out() / clash.first), firstData);
    EXPECT_EQ(filesBelow(out()), (std::vector<std::string>{"lead0.bgl", "lead1.bgl", "lead2.bgl",
                                                           clash.first, "z"}));
    EXPECT_TRUE(call.printedLineContaining("error: cannot write " + clash.second + ": "))
        << call.lastLine();
  });
}

INSTANTIATE_TEST_SUITE_P(FileAndFolder, ClashTest,
                         ::testing::Values(Clash{"x", "x/y"}, Clash{"x/y", "x"}));

// Members in three folders, every fourth one large.
struct Members {
  std::vector<std::string> names;
  std::vector<std::string> data;
};

Members manyMembers(int count) {
  Members members;
  const char* folders[] = {"scenery/", "texture/", "effects/"};
  for (int i = 0; i < count; ++i) {
    members.names.push_back(folders[i % 3] + std::string("m") + std::to_string(i) + ".dat");
    members.data.push_back(sampleText(i % 4 == 0 ? 300000 : 1000 + 37 * i, i));
  }
  return members;
}

ZipBuilder zipOf(const Members& members) {
  ZipBuilder zip;
  for (std::size_t i = 0; i < members.names.size(); ++i)
    zip.file(members.names[i], members.data[i]);
  return zip;
}

std::ptrdiff_t positionOf(const std::vector<std::string>& events, const std::string& event) {
  return std::find(events.begin(), events.end(), event) - events.begin();
}

TEST_F(ArchiveOrderTest, EachMembersFileAndLinesComeInItsTurn) {
  const Members members = manyMembers(48);
  extractRepeatedly(archive(zipOf(members)), [&](UnzipCall& call) {
    // When member i is announced, the members before it are complete and none after it is there.
    std::size_t turn = 0;
    call.beforeEachMember = [&](const std::string& name) {
      ASSERT_EQ(name, members.names[turn]);
      for (std::size_t i = 0; i < members.names.size(); ++i) {
        const fs::path file = out() / members.names[i];
        if (i < turn)
          EXPECT_EQ(fs::file_size(file), members.data[i].size()) << name << " " << file;
        else
          EXPECT_FALSE(fs::exists(file)) << name << " " << file;
      }
#ifdef __linux__
      // Files decoded ahead have no name until their turn.
      EXPECT_EQ(fs::exists(out()) ? filesBelow(out()).size() : 0, turn) << name;
#endif
      ++turn;
    };
    ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
    EXPECT_EQ(turn, members.names.size());
    std::vector<std::string> sorted = members.names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(filesBelow(out()), sorted);  // and no staged file left behind
    // Each member's line comes after its own announcement and before the next one.
    for (std::size_t i = 0; i < members.names.size(); ++i) {
      const auto line = positionOf(call.events, "print:   inflating: " + members.names[i]);
      EXPECT_LT(positionOf(call.events, "service: " + members.names[i]), line);
      if (i + 1 < members.names.size()) {
        EXPECT_LT(line, positionOf(call.events, "service: " + members.names[i + 1]));
      }
    }
  });
}

TEST_F(ArchiveOrderTest, StoppingBeforeAMemberLeavesExactlyTheMembersBeforeIt) {
  const Members members = manyMembers(40);
  extractRepeatedly(archive(zipOf(members)), [&](UnzipCall& call) {
    call.cancelBefore = members.names[20];
    EXPECT_EQ(call.run(), TARVIK_UNZIP_CANCELLED);
    std::vector<std::string> before(members.names.begin(), members.names.begin() + 20);
    std::sort(before.begin(), before.end());
    EXPECT_EQ(filesBelow(out()), before);  // nothing after it, no staged file of a later one
  });
}

TEST_F(ArchiveOrderTest, TestingReportsEveryMemberInArchiveOrder) {
  Members members = manyMembers(40);
  ZipBuilder zip;
  for (std::size_t i = 0; i < members.names.size(); ++i) {
    ZipMember member;
    member.name = members.names[i];
    member.data = members.data[i];
    if (i == 25) member.crc = crcOf(member.data) + 1;
    zip.add(member);
  }
  extractRepeatedly(archive(zip), [&](UnzipCall& call) {
    call.dcl.ntflag = 1;
    EXPECT_EQ(call.run(), TARVIK_UNZIP_CRC_ERROR);
    std::vector<std::string> expected = {"Archive:  " + (temp.path() / "test.zip").string()};
    for (std::size_t i = 0; i < members.names.size(); ++i)
      expected.push_back(i == 25 ? "error: CRC error in " + members.names[i] +
                                       ": the archive is damaged"
                                 : "    testing: " + members.names[i] + "   OK");
    expected.push_back("39 files tested without error, 1 failed");
    expected.push_back("error: CRC error in " + members.names[25] + ": the archive is damaged");
    EXPECT_EQ(call.printed, expected);
    EXPECT_FALSE(fs::exists(out()));
  });
}

}  // namespace
}  // namespace tarvik::testing
