#include "unziplib/member_extents.h"

#include <algorithm>
#include <vector>

#include "unziplib/zip_records.h"

namespace tarvik::unziplib {
namespace {

using namespace zip_records;

struct Extent {
  uint64_t start = 0;  // the local header
  uint64_t end = 0;    // just past the data
  ZipEntry* entry = nullptr;
};

std::vector<Extent> extentsOf(ArchiveSource& source, ZipDirectory& directory) {
  std::vector<Extent> extents;
  extents.reserve(directory.entries.size());
  for (ZipEntry& entry : directory.entries) {
    const uint64_t header = addClamped(entry.storedOffset, directory.shift);
    if (header > source.size() || source.size() - header < kLocalSize) continue;
    // Straight from the file: these reads skip through the archive, and the window is kept for
    // the members' data.
    const std::vector<uint8_t> bytes = source.copy(header, kLocalSize);
    const LocalHeader local = parseLocalHeader(bytes.data());
    if (local.signature != kLocalSignature) continue;
    extents.push_back({header, addClamped(header + local.length(), entry.compressedSize), &entry});
  }
  std::sort(extents.begin(), extents.end(), [](const Extent& a, const Extent& b) {
    return a.start != b.start ? a.start < b.start : a.end < b.end;
  });
  return extents;
}

}  // namespace

void markOverlappingMembers(ArchiveSource& source, ZipDirectory& directory) {
  const std::vector<Extent> extents = extentsOf(source, directory);
  // Of two overlapping extents, the later one starts before an earlier one ends...
  uint64_t furthestEnd = 0;
  for (const Extent& extent : extents) {
    if (extent.start < furthestEnd) extent.entry->overlaps = true;
    furthestEnd = std::max(furthestEnd, extent.end);
  }
  // ...and the earlier one ends after a later one (or the central directory) starts.
  uint64_t nearestStart = directory.centralStart;
  for (auto it = extents.rbegin(); it != extents.rend(); ++it) {
    if (it->end > nearestStart) it->entry->overlaps = true;
    nearestStart = std::min(nearestStart, it->start);
  }
}

}  // namespace tarvik::unziplib
