#include "app/space_needed.h"

#include <algorithm>
#include <cstdio>

#include "unziplib/tarvik_unzip.h"

namespace tarvik {

uint64_t allocatedBytes(uint64_t size, uint64_t clusterBytes) {
  if (clusterBytes == 0) return size;
  return (size + clusterBytes - 1) / clusterBytes * clusterBytes;
}

uint64_t folderGrowth(const std::vector<PayloadFile>& payload, const ExistingSizes& existing,
                      uint64_t clusterBytes) {
  uint64_t growth = 0;
  for (const PayloadFile& file : payload) {
    const auto old = existing.find(foldedName(file.folder + "\\" + file.name));
    const uint64_t before = old == existing.end() ? 0 : allocatedBytes(old->second, clusterBytes);
    const uint64_t after = allocatedBytes(file.size, clusterBytes);
    if (after > before) growth += after - before;
  }
  return growth;
}

uint64_t stagingAllowance(const std::vector<PayloadFile>& payload, uint64_t clusterBytes) {
  uint64_t largest = 0;
  uint64_t all = 0;
  for (const PayloadFile& file : payload) {
    largest = std::max(largest, allocatedBytes(file.size, clusterBytes));
    all += allocatedBytes(file.size, clusterBytes);
  }
  // The member in hand, and those ahead: below the byte bound before the last one was taken,
  // each rounded up to whole clusters.
  const uint64_t ahead = TARVIK_UNZIP_STAGED_AHEAD_BYTES + largest +
                         uint64_t{TARVIK_UNZIP_STAGED_AHEAD_FILES} * clusterBytes;
  return std::min(all, largest + ahead);
}

std::string describeBytes(uint64_t bytes) {
  const std::string plain = std::to_string(bytes);
  std::string digits;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (i > 0 && (plain.size() - i) % 3 == 0) digits += ',';
    digits += plain[i];
  }
  char megabytes[32];
  std::snprintf(megabytes, sizeof megabytes, "%.1f MB", static_cast<double>(bytes) / 1048576.0);
  return std::string(megabytes) + " (" + digits + " bytes)";
}

}  // namespace tarvik
