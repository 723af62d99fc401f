// The fast inflater against zlib: the same bytes from every kind of stream zlib's deflate
// makes, and the same verdict, in the same terms, on damaged ones.

#include <gtest/gtest.h>
#include <zlib.h>

#include <map>
#include <string>
#include <vector>

#include "fuzz/inflate_agreement.h"
#include "unziplib/fast_inflate.h"

namespace tarvik::unziplib {
namespace {

using Bytes = std::vector<uint8_t>;

// Deterministic pseudo-random numbers, the same on every platform.
class Numbers {
 public:
  uint32_t next() {
    state_ = state_ * 6364136223846793005u + 1442695040888963407u;
    return static_cast<uint32_t>(state_ >> 33);
  }

 private:
  uint64_t state_ = 42;
};

// Data of the shapes that exercise a decoder's paths: words (literals and medium matches),
// noise (stored blocks), runs of every short period (overlapping copies) and a block repeated
// from 30 KiB back (the longest distances).
std::map<std::string, Bytes> samples(std::size_t size) {
  Numbers numbers;
  static const char* const words[] = {"scenery ", "texture ", "Tarvik ", "folder ", "update "};
  Bytes text, noise, runs, far;
  while (text.size() < size) {
    const std::string word = words[numbers.next() % 5];
    text.insert(text.end(), word.begin(), word.end());
    if (numbers.next() % 7 == 0) text.push_back(static_cast<uint8_t>(numbers.next()));
  }
  while (noise.size() < size) noise.push_back(static_cast<uint8_t>(numbers.next()));
  for (unsigned period = 1; runs.size() < size; period = period % 20 + 1)
    for (unsigned i = 0; i < 40 * period; ++i) runs.push_back(static_cast<uint8_t>('a' + i % period));
  Bytes block(noise.begin(), noise.begin() + std::min<std::size_t>(size / 2, 30u << 10));
  while (far.size() < size) far.insert(far.end(), block.begin(), block.end());
  for (Bytes* data : {&text, &noise, &runs, &far}) data->resize(size);
  return {{"text", text}, {"noise", noise}, {"runs", runs}, {"far", far}};
}

Bytes deflated(const Bytes& data, int level, int strategy) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, strategy), Z_OK);
  Bytes out(deflateBound(&z, static_cast<uLong>(data.size())));
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

struct Setting {
  int level;
  int strategy;
};
constexpr Setting kSettings[] = {{0, Z_DEFAULT_STRATEGY}, {1, Z_DEFAULT_STRATEGY},
                                 {6, Z_DEFAULT_STRATEGY}, {9, Z_DEFAULT_STRATEGY},
                                 {6, Z_HUFFMAN_ONLY},     {6, Z_RLE},
                                 {6, Z_FIXED}};

class Collector : public DataSink {
 public:
  void write(std::span<const uint8_t> piece) override {
    bytes.insert(bytes.end(), piece.begin(), piece.end());
  }
  Bytes bytes;
};

// Larger than the output window, so that output is handed on and history moves.
TEST(FastInflateTest, DecodesEveryKindOfStreamToItsBytes) {
  FastInflater inflater;
  for (const auto& [name, data] : samples(700u << 10)) {
    for (const Setting setting : kSettings) {
      const Bytes stream = deflated(data, setting.level, setting.strategy);
      Collector collector;
      EXPECT_EQ(inflater.inflate(stream, data.size(), collector), InflateResult::kDone)
          << name << " level " << setting.level << " strategy " << setting.strategy;
      EXPECT_TRUE(collector.bytes == data) << name << " level " << setting.level;
    }
  }
}

// Every damage zlib meets: cut short anywhere, sizes off by one, and bits flipped anywhere
// (invalid codes, distances too far back, wrong lengths, broken stored blocks).
TEST(FastInflateTest, JudgesDamagedStreamsAsZlibDoes) {
  Numbers numbers;
  std::map<InflateResult, int> seen;
  FastInflater inflater;
  for (const auto& [name, data] : samples(6000)) {
    for (const Setting setting : kSettings) {
      const Bytes stream = deflated(data, setting.level, setting.strategy);
      const auto size = static_cast<uint32_t>(data.size());
      const auto judge = [&](const Bytes& candidate, uint32_t expected, const std::string& how) {
        EXPECT_EQ(fuzzing::inflateDisagreement(candidate, expected), "")
            << name << " level " << setting.level << " strategy " << setting.strategy << ", "
            << how;
        DiscardingSink nothing;
        ++seen[inflater.inflate(candidate, expected, nothing)];
      };
      judge(stream, size - 1, "size one less");
      judge(stream, size + 1, "size one more");
      for (std::size_t length = 0; length < stream.size(); length += 1 + stream.size() / 40)
        judge(Bytes(stream.begin(), stream.begin() + length), size, "cut to " + std::to_string(length));
      for (int flip = 0; flip < 60; ++flip) {
        Bytes damaged = stream;
        const uint32_t bit = numbers.next() % (damaged.size() * 8);
        damaged[bit / 8] ^= static_cast<uint8_t>(1u << bit % 8);
        judge(damaged, size, "bit " + std::to_string(bit) + " flipped");
      }
    }
  }
  for (const InflateResult result : {InflateResult::kDone, InflateResult::kInvalid,
                                     InflateResult::kCutShort, InflateResult::kTooLong,
                                     InflateResult::kTooShort})
    EXPECT_GT(seen[result], 0) << "no damaged stream gave result " << static_cast<int>(result);
}

class Counter : public DataSink {
 public:
  void write(std::span<const uint8_t> piece) override { bytes += piece.size(); }
  std::size_t bytes = 0;
};

// A stream cut short stops where its input does, whatever size it claims: decoding the zero
// bits past the end would write up to the claimed size.
TEST(FastInflateTest, StopsAtTheEndOfAStreamCutShort) {
  FastInflater inflater;
  for (const auto& [name, data] : samples(100u << 10)) {
    Bytes stream = deflated(data, 6, Z_DEFAULT_STRATEGY);
    stream.resize(stream.size() / 2);
    Counter counter;
    EXPECT_EQ(inflater.inflate(stream, 64u << 20, counter), InflateResult::kCutShort) << name;
    EXPECT_LE(counter.bytes, data.size()) << name;
  }
}

// Inputs on which the inflate fuzz target once found the two disagreeing, in its form: four
// bytes of expected size, then the stream.
TEST(FastInflateTest, AgreesWithZlibOnInputsThatOnceDisagreed) {
  const std::vector<Bytes> inputs = {
      // a code-length code without codes: zlib reads each length as 0 from one bit, and so
      // runs out of input before it finds the end-of-block code missing
      {0xbc, 0x43, 0x2e, 0x03, 0x3d, 0x01, 0x00, 0x00, 0x2e, 0x03, 0x85, 0x03, 0x27, 0x00},
      // a stored block longer than the input and than the expected size: zlib copies what
      // the input has, and so finds too much output first
      {0x00, 0x00, 0x00, 0xbc, 0xf9, 0xff, 0xff, 0x00, 0x00, 0x00, 0xbc, 0xf9, 0xff, 0xff,
       0xf6, 0xbc, 0x07, 0xff, 0xff, 0x00, 0x5b, 0x00},
  };
  for (const Bytes& input : inputs) EXPECT_EQ(fuzzing::inflateDisagreementFor(input), "");
}

}  // namespace
}  // namespace tarvik::unziplib
