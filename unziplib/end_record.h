#pragma once
// Finding the archive's end record in the tail of its file. A file may hold several end
// records' signatures: in the archive comment, in bytes appended after the archive (a code
// signature), in an archive stored inside a member, or in a program in front of the archive.
// The record used is one whose central directory checks out: as many central records as it
// says, filling exactly the bytes it names before it. Of those, a record inside another's
// comment is passed over, and so is one that lies in the archive of another: in front of its
// first member (in a program that carries it), in one of its members (an archive stored in it)
// or in its central directory. Of what is left the first is used, so that a record in bytes
// after a valid archive, as a code signature appends them, is not taken.

#include <cstdint>
#include <string>

#include "unziplib/archive_source.h"

namespace tarvik::unziplib {

struct EndRecord {
  uint64_t position = 0;
  uint16_t disk = 0;
  uint16_t centralDisk = 0;
  uint16_t entriesHere = 0;
  uint16_t entries = 0;
  uint32_t centralSize = 0;
  uint32_t centralOffset = 0;
  std::string comment;
  bool zip64Locator = false;  // a ZIP64 end record locator lies just before it
};

// Raises UnzipError: not a ZIP archive, truncated, or damaged past telling its own end record.
EndRecord findEndRecord(ArchiveSource& source);

}  // namespace tarvik::unziplib
