#pragma once
// Where each member's bytes lie in the file, from its local header through its data, and which
// members overlap one another or the central directory. No tool writes such archives; they are
// made to expand far beyond their size (many members quoting the same compressed data), so
// every member that takes part is marked, and refused when it is to be read.

#include "unziplib/archive_source.h"
#include "unziplib/zip_format.h"

namespace tarvik::unziplib {

// Sets ZipEntry::overlaps. Reads each entry's local header; an entry whose header cannot be
// read is left to fail when it is located.
void markOverlappingMembers(ArchiveSource& source, ZipDirectory& directory);

}  // namespace tarvik::unziplib
