#include "unziplib/entry_decoder.h"

#include <zlib.h>
#undef zlib_version  // a name of zlib's that the version record uses for a field

#include <algorithm>

#include "unziplib/crc32.h"
#include "unziplib/unzip_error.h"

namespace tarvik::unziplib {
namespace {

UnzipError badData(const std::string& reason) {
  return UnzipError(TARVIK_UNZIP_CRC_ERROR, reason);
}

// Passes bytes on, keeping their CRC-32.
class CrcSink : public DataSink {
 public:
  explicit CrcSink(DataSink& next) : next_(next) {}
  void write(std::span<const uint8_t> bytes) override {
    crc_ = crc32Update(crc_, bytes);
    next_.write(bytes);
  }
  uint32_t crc() const { return crc_; }

 private:
  DataSink& next_;
  uint32_t crc_ = 0;  // the CRC of no bytes
};

void checkStoredSize(const EncodedData& data) {
  if (data.length > data.declaredSize) throw badData("more data than its declared size");
  if (data.length < data.declaredSize) throw badData("less data than its declared size");
}

}  // namespace

const char* inflateLibraryVersion() { return zlibVersion(); }

// zlib's inflate state, made once per decoder and reset for each member.
struct EntryDecoder::Stream {
  Stream() {
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
  }
  ~Stream() { inflateEnd(&z); }
  z_stream z{};
};

EntryDecoder::EntryDecoder() = default;
EntryDecoder::~EntryDecoder() = default;

std::span<const uint8_t> EntryDecoder::nextInput(ArchiveSource& source, uint64_t& offset,
                                                 uint64_t& left, ZipDecrypter* decrypter) {
  const std::size_t length =
      static_cast<std::size_t>(std::min<uint64_t>(left, ArchiveSource::kLargestRead));
  std::span<const uint8_t> piece = source.read(offset, length);
  offset += length;
  left -= length;
  if (!decrypter) return piece;
  plain_.assign(piece.begin(), piece.end());
  decrypter->decrypt(plain_);
  return plain_;
}

void EntryDecoder::decode(ArchiveSource& source, const EncodedData& data, ZipDecrypter* decrypter,
                          DataSink& sink) {
  CrcSink checked(sink);
  const auto pass = [&](std::span<const uint8_t> piece) { checked.write(piece); };
  if (data.method == 0) {
    checkStoredSize(data);
    uint64_t offset = data.offset;
    uint64_t left = data.length;
    while (left > 0) pass(nextInput(source, offset, left, decrypter));
  } else if (decrypter || data.length > ArchiveSource::kWindowSize) {
    if (output_.empty()) output_.resize(kOutputSize);
    inflateWith(
        source, data, decrypter, [&](uint64_t) { return std::span<uint8_t>(output_); }, pass);
  } else {
    inflateInMemory(source.read(data.offset, data.length), data.declaredSize, checked);
  }
  if (checked.crc() != data.crc) throw badData("CRC error");
}

void EntryDecoder::inflateInMemory(std::span<const uint8_t> input, uint64_t declaredSize,
                                   DataSink& sink) {
  switch (fast_.inflate(input, declaredSize, sink)) {
    case InflateResult::kDone:
      return;
    case InflateResult::kInvalid:
      throw badData("invalid compressed data");
    case InflateResult::kCutShort:
      throw badData("its compressed data ends too early");
    case InflateResult::kTooLong:
      throw badData("more data than its declared size");
    case InflateResult::kTooShort:
      throw badData("less data than its declared size");
  }
}

template <typename Window, typename Filled>
uint64_t EntryDecoder::inflateWith(ArchiveSource& source, const EncodedData& data,
                                   ZipDecrypter* decrypter, Window window, Filled filled) {
  if (!stream_)
    stream_ = std::make_unique<Stream>();
  else
    inflateReset(&stream_->z);
  z_stream& stream = stream_->z;
  uint64_t produced = 0;
  uint64_t offset = data.offset;
  uint64_t left = data.length;
  stream.avail_in = 0;
  for (;;) {
    if (stream.avail_in == 0 && left > 0) {
      const auto piece = nextInput(source, offset, left, decrypter);
      stream.next_in = const_cast<Bytef*>(piece.data());
      stream.avail_in = static_cast<uInt>(piece.size());
    }
    // Never more room than one byte past the declared size: that byte shows the data too long.
    const std::span<uint8_t> out = window(produced);
    const uint64_t room = std::min<uint64_t>(out.size(), data.declaredSize - produced + 1);
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(room);
    const int status = inflate(&stream, Z_NO_FLUSH);
    const std::size_t made = static_cast<std::size_t>(room - stream.avail_out);
    produced += made;
    if (produced > data.declaredSize) throw badData("more data than its declared size");
    if (made > 0) filled(std::span<const uint8_t>(out.data(), made));
    if (status == Z_STREAM_END) break;
    if (status == Z_BUF_ERROR && stream.avail_in == 0 && left == 0)
      throw badData("its compressed data ends too early");
    if (status != Z_OK && status != Z_BUF_ERROR) throw badData("invalid compressed data");
  }
  if (produced < data.declaredSize) throw badData("less data than its declared size");
  return produced;
}

}  // namespace tarvik::unziplib
