// An update as the installer makes it, on a disk in memory (memory_disk.h): every member but
// the marker, then the marker alone, over an old one. Each file must reach the disk whole before
// it is named or moved into place, whether a worker or the calling thread wrote it, and the
// marker's move must be the last step.

#include <gtest/gtest.h>

#include "tests/unziplib/memory_disk.h"
#include "tests/unziplib/unzip_call.h"
#include "tests/unziplib/zip_builder.h"

namespace tarvik::testing {
namespace {

constexpr const char* kMarker = "scenery/qiro.bgl";

TEST(DurableWrites, EveryFileIsOnTheDiskBeforeItsNameAndTheMarkerMovesLast) {
  ZipBuilder zip;
  for (int i = 0; i < 24; ++i)
    zip.file((i % 2 ? "scenery/s" : "texture/t") + std::to_string(i), sampleText(30000, i));
  zip.file(kMarker, sampleText(50000, 99)).file("texture/last", sampleText(30000, 98));
  for (const bool unnamedFiles : {true, false}) {
    SCOPED_TRACE(unnamedFiles ? "files made without a name" : "files made under a temporary name");
    MemoryDisk& disk = memoryDisk();
    disk.clear();
    disk.unnamedFiles = unnamedFiles;
    disk.put("payload.zip", zip.build());
    disk.folders = {"out", "out/scenery", "out/texture"};
    disk.put(std::string("out/") + kMarker, "the old marker");
    for (const bool markerAlone : {false, true}) {
      UnzipCall call("payload.zip", "out");
      call.dcl.ndflag = call.dcl.noflag = 1;
      (markerAlone ? call.includes : call.excludes).push_back(kMarker);
      ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
    }

    std::map<int, std::size_t> flushed;  // file number -> size when flushed
    int placed = 0;
    for (const DiskStep& step : disk.steps) {
      if (step.kind == DiskStep::kFlush) flushed[step.file] = step.size;
      if (step.kind == DiskStep::kFlush || step.path.find("~tvk") != std::string::npos) continue;
      ++placed;
      EXPECT_EQ(flushed.contains(step.file) ? flushed[step.file] : 0, disk.at(step.path).size())
          << step.path << " was put in place before all of it was on the disk";
    }
    EXPECT_EQ(placed, 26);
    ASSERT_FALSE(disk.steps.empty());
    EXPECT_EQ(disk.steps.back().kind, DiskStep::kMove);
    EXPECT_EQ(disk.steps.back().path, std::string("out/") + kMarker);
  }
}

}  // namespace
}  // namespace tarvik::testing
