#pragma once
// How much room the update of add-on folders needs on their volume. The count is an upper
// bound: a run that has this much free space cannot run out of it unless another program
// fills the volume meanwhile.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/payload_contents.h"

namespace tarvik {

// Bytes a file of this size takes on a volume with this allocation unit.
uint64_t allocatedBytes(uint64_t size, uint64_t clusterBytes);

// The sizes of the files already in an add-on folder, by sub-folder and folded file name
// ("scenery\qiro.bgl").
using ExistingSizes = std::map<std::string, uint64_t>;

// What updating one folder can add to its volume's use at its peak, staging files aside. Each
// file that grows counts with its growth, and no file that shrinks or is deleted counts against
// it, since the order of the writes decides when that room comes free.
uint64_t folderGrowth(const std::vector<PayloadFile>& payload, const ExistingSizes& existing,
                      uint64_t clusterBytes);

// Room for the staging files: a member is written beside its target before it replaces it, and
// the unzip library stages members ahead of the one in hand within its published bounds.
uint64_t stagingAllowance(const std::vector<PayloadFile>& payload, uint64_t clusterBytes);

// "43.6 MB (45,678,912 bytes)".
std::string describeBytes(uint64_t bytes);

}  // namespace tarvik
