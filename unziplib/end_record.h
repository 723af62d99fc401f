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
//
// An end record whose fields are too small for what they hold says so by filling one of them
// with all ones; its values are then in the ZIP64 end record, which the ZIP64 locator just
// before it points to, and the central directory ends at that record. A record without such a
// field is taken as it is, whatever lies before it; so is one with such a field and no locator
// (an archive of exactly 65,535 entries that has no ZIP64 records).

#include <cstdint>
#include <string>

#include "unziplib/archive_source.h"

namespace tarvik::unziplib {

struct EndRecord {
  uint64_t position = 0;    // of the end record
  uint64_t centralEnd = 0;  // where the central directory ends: the ZIP64 end record, or this one
  uint32_t disk = 0;
  uint32_t centralDisk = 0;
  uint32_t disks = 1;       // as the ZIP64 locator counts them
  uint64_t entriesHere = 0;
  uint64_t entries = 0;
  uint64_t centralSize = 0;
  uint64_t centralOffset = 0;
  std::string comment;
  bool zip64 = false;       // the values come from the ZIP64 end record
};

// Raises UnzipError: not a ZIP archive, truncated, damaged past telling its own end record, its
// ZIP64 end record missing, its central directory encrypted, or split over several disks.
EndRecord findEndRecord(ArchiveSource& source);

}  // namespace tarvik::unziplib
