#pragma once
// The bytes of one demo payload file. Real scenery and texture files are not at hand, so each
// file is made like one: a binary header of its kind and then rows that repeat the row before
// with scattered changes, which deflates about as well as the add-on's own files (scenery to a
// quarter, textures to a fifth). Every file holds NUL bytes, so none of them is text. The bytes
// follow from the entry's size, kind and seed alone.

#include <cstddef>
#include <cstdint>
#include <string>

#include "package/payload_plan.h"

namespace tarvik::package {

std::string payloadContent(const PayloadEntry& entry);

// How the rows of a kind of file are made: the row length and how many bytes of every 4096
// differ from the row before.
struct RowStyle {
  size_t width = 0;
  uint32_t changesPer4096 = 0;
};

RowStyle rowStyleOf(PayloadKind kind, uint32_t size);

}  // namespace tarvik::package
