#pragma once
// Which reparse points are links. Windows marks many ordinary files as reparse points: files
// compressed by the system (compact /EXE), deduplicated files, files kept in the cloud. Only a
// tag that says it names another file or folder (its name-surrogate bit) is a link: symbolic
// links, junctions and mount points.

#include <cstdint>

namespace tarvik::reparse_tag {

constexpr uint32_t kMountPoint = 0xA0000003;  // junctions and mounted volumes
constexpr uint32_t kSymbolicLink = 0xA000000C;
constexpr uint32_t kDeduplicated = 0x80000013;
constexpr uint32_t kCompressed = 0x80000017;  // Windows Overlay Filter: compact /EXE
constexpr uint32_t kCloudFile = 0x9000001A;   // OneDrive and other cloud files (and 0x9000X01A)

constexpr uint32_t kNameSurrogateBit = 0x20000000;

// True for a link; false for a file or folder stored in another way.
constexpr bool isLink(uint32_t tag) { return (tag & kNameSurrogateBit) != 0; }

}  // namespace tarvik::reparse_tag
