// An update as the installer makes it, on a disk in memory (memory_disk.h): every member but the
// marker, then the marker alone, over an old one. Each file must be on the disk whole before it
// is moved into place, whether a worker or the calling thread wrote it, and the marker's move
// must be the last step.

#include <gtest/gtest.h>

#include "tests/unziplib/memory_disk.h"
#include "tests/unziplib/unzip_call.h"
#include "tests/unziplib/zip_builder.h"

namespace tarvik::testing {
namespace {

TEST(DurableWrites, EveryFileIsOnTheDiskBeforeItsMoveAndTheMarkerMovesLast) {
  ZipBuilder zip;
  for (int i = 0; i < 24; ++i)
    zip.file((i % 2 ? "scenery/s" : "texture/t") + std::to_string(i), sampleText(30000, i));
  zip.file("scenery/qiro.bgl", sampleText(50000, 99)).file("texture/last", sampleText(30000, 98));
  MemoryDisk& disk = memoryDisk();
  disk.put("payload.zip", zip.build());
  disk.put("out/scenery/qiro.bgl", "the old marker");
  disk.folders = {"out", "out/scenery", "out/texture"};
  for (const bool markerAlone : {false, true}) {
    UnzipCall call("payload.zip", "out");
    call.dcl.ndflag = call.dcl.noflag = 1;
    (markerAlone ? call.includes : call.excludes).push_back("scenery/qiro.bgl");
    ASSERT_EQ(call.run(), TARVIK_UNZIP_OK) << call.lastLine();
  }

  std::map<int, std::size_t> flushed;  // file number -> its size when flushed
  int moves = 0;
  for (const DiskStep& step : disk.steps) {
    if (step.flush) {
      flushed[step.file] = step.size;
      continue;
    }
    ++moves;
    EXPECT_EQ(flushed.contains(step.file) ? flushed[step.file] : 0, step.size)
        << step.path << " was moved into place before all of it was on the disk";
  }
  EXPECT_EQ(moves, 26);
  ASSERT_FALSE(disk.steps.empty());
  EXPECT_FALSE(disk.steps.back().flush);
  EXPECT_EQ(disk.steps.back().path, "out/scenery/qiro.bgl");
}

}  // namespace
}  // namespace tarvik::testing
