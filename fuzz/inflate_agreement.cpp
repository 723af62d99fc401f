#include "fuzz/inflate_agreement.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "unziplib/fast_inflate.h"

namespace tarvik::fuzzing {
namespace {

using unziplib::InflateResult;

struct Decoded {
  InflateResult result = InflateResult::kDone;
  std::vector<uint8_t> bytes;
};

class Collector : public unziplib::DataSink {
 public:
  explicit Collector(std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  void write(std::span<const uint8_t> piece) override {
    bytes_.insert(bytes_.end(), piece.begin(), piece.end());
  }

 private:
  std::vector<uint8_t>& bytes_;
};

Decoded withFastInflater(std::span<const uint8_t> stream, uint32_t size) {
  static unziplib::FastInflater inflater;
  Decoded decoded;
  Collector collector(decoded.bytes);
  decoded.result = inflater.inflate(stream, size, collector);
  return decoded;
}

Decoded withZlib(std::span<const uint8_t> stream, uint32_t size) {
  constexpr std::size_t kInputPiece = 4096;
  constexpr std::size_t kOutputPiece = 64u << 10;
  Decoded decoded;
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) std::abort();
  std::vector<uint8_t> out(kOutputPiece);
  std::size_t used = 0;
  for (;;) {
    if (z.avail_in == 0 && used < stream.size()) {
      const std::size_t piece = std::min(kInputPiece, stream.size() - used);
      z.next_in = const_cast<Bytef*>(stream.data() + used);
      z.avail_in = static_cast<uInt>(piece);
      used += piece;
    }
    const std::size_t room = std::min<uint64_t>(out.size(), uint64_t{size} - decoded.bytes.size() + 1);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(room);
    const int status = inflate(&z, Z_NO_FLUSH);
    decoded.bytes.insert(decoded.bytes.end(), out.begin(), out.begin() + (room - z.avail_out));
    if (decoded.bytes.size() > size) {
      decoded.result = InflateResult::kTooLong;
      break;
    }
    if (status == Z_STREAM_END) {
      if (decoded.bytes.size() < size) decoded.result = InflateResult::kTooShort;
      break;
    }
    if (status == Z_BUF_ERROR && z.avail_in == 0 && used == stream.size()) {
      decoded.result = InflateResult::kCutShort;
      break;
    }
    if (status != Z_OK && status != Z_BUF_ERROR) {
      decoded.result = InflateResult::kInvalid;
      break;
    }
  }
  inflateEnd(&z);
  return decoded;
}

const char* nameOf(InflateResult result) {
  switch (result) {
    case InflateResult::kDone: return "done";
    case InflateResult::kInvalid: return "invalid";
    case InflateResult::kCutShort: return "cut short";
    case InflateResult::kTooLong: return "too long";
    case InflateResult::kTooShort: return "too short";
  }
  return "?";
}

}  // namespace

std::string inflateDisagreement(std::span<const uint8_t> stream, uint32_t size) {
  const Decoded fast = withFastInflater(stream, size);
  const Decoded zlib = withZlib(stream, size);
  if (fast.result != zlib.result)
    return std::string("fast inflater: ") + nameOf(fast.result) + ", zlib: " + nameOf(zlib.result);
  if (fast.result == InflateResult::kDone && fast.bytes != zlib.bytes)
    return "both decode, to different bytes";
  return {};
}

std::string inflateDisagreementFor(std::span<const uint8_t> input) {
  if (input.size() < 4) return {};
  const uint32_t size = (input[0] | input[1] << 8 | input[2] << 16 | uint32_t{input[3]} << 24) &
                        0xfffff;
  return inflateDisagreement(input.subspan(4), size);
}

}  // namespace tarvik::fuzzing
