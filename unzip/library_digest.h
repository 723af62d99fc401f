#pragma once
// The digest by which the build records the unzip library and the installer knows it again.
// It is SHA-256 over the file as Authenticode digests a Windows program file: without its header
// checksum, its certificate table's entry and the certificate table itself, and with the file
// padded with zeros to a multiple of 8 bytes, as signing pads it. Signing the library therefore
// leaves its digest as it was. A file that is not a Windows program file is digested whole,
// padded the same way. library_digest.py computes the same digest for the build.

#include <cstdint>
#include <span>

#include "platform/sha256.h"

namespace tarvik {

Sha256Digest libraryDigest(std::span<const uint8_t> file);

}  // namespace tarvik
