#include "unziplib/archive_source.h"

#include <algorithm>

#include "unziplib/unzip_error.h"

namespace tarvik::unziplib {

ArchiveSource::ArchiveSource(InputFile& file, std::size_t readAhead)
    : file_(file), readAhead_(readAhead) {}

std::span<const uint8_t> ArchiveSource::read(uint64_t offset, std::size_t length) {
  if (offset > size() || length > size() - offset) throw damagedArchive("it ends too early");
  const bool inWindow = offset >= windowStart_ && offset + length <= windowStart_ + windowLength_;
  if (!inWindow) {
    const std::size_t wanted = static_cast<std::size_t>(
        std::min<uint64_t>(std::max(length, readAhead_), size() - offset));
    if (window_.size() < wanted) window_.resize(std::max(wanted, readAhead_));
    windowStart_ = offset;
    windowLength_ = readAt(offset, std::span(window_).first(wanted));
    if (windowLength_ < length) throw damagedArchive("it ends too early");
  }
  return std::span<const uint8_t>(window_).subspan(offset - windowStart_, length);
}

std::vector<uint8_t> ArchiveSource::copy(uint64_t offset, std::size_t length) {
  if (offset > size() || length > size() - offset) throw damagedArchive("it ends too early");
  std::vector<uint8_t> bytes(length);
  if (readAt(offset, bytes) < length) throw damagedArchive("it ends too early");
  return bytes;
}

std::size_t ArchiveSource::readAt(uint64_t offset, std::span<uint8_t> buffer) {
  try {
    return file_.readAt(offset, buffer);
  } catch (const SystemFailure& failure) {
    throw damagedArchive("it cannot be read (" + failure.reason() + ")");
  }
}

}  // namespace tarvik::unziplib
