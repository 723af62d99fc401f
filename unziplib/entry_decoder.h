#pragma once
// Decoding one entry's data (stored or deflated, decrypted when needed) into a sink, checking
// that it comes to exactly its declared size and CRC-32. The output never grows past the
// declared size: decoding stops at the first byte too many.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "unziplib/archive_source.h"
#include "unziplib/data_sink.h"
#include "unziplib/fast_inflate.h"
#include "unziplib/zip_crypto.h"

namespace tarvik::unziplib {

// The version of the inflate library in use ("1.2.13").
const char* inflateLibraryVersion();

struct EncodedData {
  uint64_t offset = 0;  // file position of the data, after any encryption header
  uint64_t length = 0;  // its length in the file
  uint16_t method = 0;
  uint64_t declaredSize = 0;
  uint32_t crc = 0;
};

class EntryDecoder {
 public:
  // Size of the pieces handed to the sink: small enough to stay in the processor's cache
  // between inflating, the CRC and the write.
  static constexpr std::size_t kOutputSize = 256u << 10;

  EntryDecoder();
  ~EntryDecoder();
  EntryDecoder(const EntryDecoder&) = delete;
  EntryDecoder& operator=(const EntryDecoder&) = delete;

  // Decodes the data into the sink. Raises UnzipError with TARVIK_UNZIP_CRC_ERROR when the data
  // is invalid, larger or smaller than declared, or fails its CRC check; whatever the sink
  // received then must be thrown away.
  void decode(ArchiveSource& source, const EncodedData& data, ZipDecrypter* decrypter,
              DataSink& sink);

 private:
  // Inflates data held wholly in memory with the fast inflater: every unencrypted member whose
  // packed data fits in the archive source's window. zlib streams the others.
  void inflateInMemory(std::span<const uint8_t> input, uint64_t declaredSize, DataSink& sink);
  std::span<const uint8_t> nextInput(ArchiveSource& source, uint64_t& offset, uint64_t& left,
                                     ZipDecrypter* decrypter);
  // Runs inflate over the data: window(produced) says where the next bytes go, filled(piece)
  // receives each piece that came out. Returns the number of bytes produced.
  template <typename Window, typename Filled>
  uint64_t inflateWith(ArchiveSource& source, const EncodedData& data, ZipDecrypter* decrypter,
                       Window window, Filled filled);

  struct Stream;
  std::unique_ptr<Stream> stream_;
  std::vector<uint8_t> output_;
  std::vector<uint8_t> plain_;
  FastInflater fast_;
};

}  // namespace tarvik::unziplib
