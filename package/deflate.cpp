#include "package/deflate.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace tarvik::package {
namespace {

constexpr int kRawWindowBits = -15;
constexpr int kMemoryLevel = 8;

void requireFits(size_t size) {
  if (size > std::numeric_limits<uInt>::max())
    throw DeflateError("a block of data too large for one deflate call");
}

Bytef* bytesOf(std::string_view data) {
  // zlib takes its input through a non-const pointer but does not write to it.
  return reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
}

class Deflater {
 public:
  explicit Deflater(int level) {
    if (deflateInit2(&stream_, level, Z_DEFLATED, kRawWindowBits, kMemoryLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK)
      throw DeflateError("deflate cannot start");
  }
  ~Deflater() { deflateEnd(&stream_); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
};

class Inflater {
 public:
  Inflater() {
    if (inflateInit2(&stream_, kRawWindowBits) != Z_OK) throw DeflateError("inflate cannot start");
  }
  ~Inflater() { inflateEnd(&stream_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
};

}  // namespace

std::string deflateRaw(std::string_view data, int level) {
  requireFits(data.size());
  Deflater deflater(level);
  z_stream& stream = deflater.stream();
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  requireFits(out.size());
  stream.next_in = bytesOf(data);
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) throw DeflateError("deflate did not finish");
  out.resize(stream.total_out);
  return out;
}

std::string inflateRaw(std::string_view compressed, size_t expectedSize) {
  requireFits(compressed.size());
  // One byte more than expected, so that a stream giving too much data shows itself.
  requireFits(expectedSize + 1);
  Inflater inflater;
  z_stream& stream = inflater.stream();
  std::string out(expectedSize + 1, '\0');
  stream.next_in = bytesOf(compressed);
  stream.avail_in = static_cast<uInt>(compressed.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&stream, Z_FINISH);
  if (result != Z_STREAM_END) throw DeflateError("the deflate stream is damaged or incomplete");
  if (stream.total_out != expectedSize)
    throw DeflateError("the deflate stream gives " + std::to_string(stream.total_out) +
                       " bytes instead of " + std::to_string(expectedSize));
  if (stream.avail_in != 0) throw DeflateError("bytes follow the end of the deflate stream");
  out.resize(expectedSize);
  return out;
}

uint32_t crc32Of(std::string_view data) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // crc32 takes at most a uInt of bytes per call.
  constexpr size_t kChunk = 1u << 30;
  for (size_t at = 0; at < data.size(); at += kChunk) {
    const size_t length = std::min(kChunk, data.size() - at);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data() + at), static_cast<uInt>(length));
  }
  return static_cast<uint32_t>(crc);
}

}  // namespace tarvik::package
