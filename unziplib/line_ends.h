#pragma once
// Line-end conversion for members marked as text: every line end (CR LF, a lone LF or a lone
// CR) becomes CR LF. A member marked as text whose data is not text after all (NUL or other
// control bytes in its first piece) passes unchanged, byte for byte.

#include <span>
#include <vector>

#include "unziplib/entry_decoder.h"

namespace tarvik::unziplib {

// True when the bytes hold a NUL or a control character that text does not use.
bool looksBinary(std::span<const uint8_t> bytes);

class LineEndSink : public DataSink {
 public:
  explicit LineEndSink(DataSink& target) : target_(target) {}
  void write(std::span<const uint8_t> bytes) override;

 private:
  enum class Mode { kUndecided, kConvert, kCopy };
  DataSink& target_;
  Mode mode_ = Mode::kUndecided;
  bool afterCr_ = false;
  std::vector<uint8_t> converted_;
};

}  // namespace tarvik::unziplib
