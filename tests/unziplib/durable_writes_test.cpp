// An update as the installer makes it, on a disk in memory (memory_disk.h): every member but the
// marker, then the marker alone, over an old one. Each file must be on the disk whole before it
// is moved into place, whether a worker or the calling thread wrote it, every folder's entries
// before the marker's move, and the marker's move must be the last move.

#include <gtest/gtest.h>

#include "tests/unziplib/memory_disk.h"
#include "tests/unziplib/unzip_call.h"
#include "tests/unziplib/zip_builder.h"

namespace tarvik::testing {
namespace {

TEST(DurableWrites, FilesAndThenTheirFoldersAreOnTheDiskBeforeTheMarkerMovesLast) {
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

  // Each file whole on the disk before its move; each folder's entries on the disk after its
  // last move and before the marker's, and again before the call that moved the marker returns.
  std::map<int, std::size_t> flushed;        // file number -> its size when flushed
  std::map<std::string, int> movesUnflushed;  // folder -> moves into it since its last flush
  const auto expectFoldersFlushed = [&](const std::string& when) {
    for (const auto& [folder, moves] : movesUnflushed)
      EXPECT_EQ(moves, 0) << folder << " was not flushed after its last move, " << when;
  };
  int moves = 0;
  std::string lastMove;
  for (const DiskStep& step : disk.steps) {
    switch (step.kind) {
      case DiskStep::kFileFlush:
        flushed[step.file] = step.size;
        break;
      case DiskStep::kFolderFlush:
        movesUnflushed[step.path] = 0;
        break;
      case DiskStep::kMove:
        ++moves;
        EXPECT_EQ(flushed.contains(step.file) ? flushed[step.file] : 0, step.size)
            << step.path << " was moved into place before all of it was on the disk";
        if (step.path == "out/scenery/qiro.bgl") expectFoldersFlushed("before the marker's move");
        ++movesUnflushed[step.path.substr(0, step.path.rfind('/'))];
        lastMove = step.path;
        break;
    }
  }
  EXPECT_EQ(moves, 26);
  EXPECT_EQ(lastMove, "out/scenery/qiro.bgl");
  EXPECT_EQ(movesUnflushed.size(), 2u);
  expectFoldersFlushed("when the call returned");
}

}  // namespace
}  // namespace tarvik::testing
