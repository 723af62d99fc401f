#include "unziplib/line_ends.h"

#include <algorithm>

namespace tarvik::unziplib {

bool looksBinary(std::span<const uint8_t> bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](uint8_t byte) {
    const bool textControl = byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f' ||
                             byte == 0x1A;  // the old end-of-file mark
    return byte < 0x20 && !textControl;
  });
}

void LineEndSink::write(std::span<const uint8_t> bytes) {
  if (mode_ == Mode::kUndecided) mode_ = looksBinary(bytes) ? Mode::kCopy : Mode::kConvert;
  if (mode_ == Mode::kCopy) {
    target_.write(bytes);
    return;
  }
  converted_.clear();
  converted_.reserve(bytes.size() + bytes.size() / 16);
  for (const uint8_t byte : bytes) {
    if (byte == '\n' && afterCr_) {
      afterCr_ = false;  // the LF of a CR LF already written
      continue;
    }
    afterCr_ = byte == '\r';
    if (byte == '\r' || byte == '\n') {
      converted_.push_back('\r');
      converted_.push_back('\n');
    } else {
      converted_.push_back(byte);
    }
  }
  target_.write(converted_);
}

}  // namespace tarvik::unziplib
