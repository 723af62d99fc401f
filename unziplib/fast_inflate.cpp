#include "unziplib/fast_inflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

namespace tarvik::unziplib {
namespace {

// --- Reading bits ----------------------------------------------------------------------------

// Bits come from the low end of a 64-bit buffer. While eight input bytes remain it is refilled
// with one load; after that a byte at a time, and past the input's end with zero bytes that are
// counted, so that a stream which needs them is found cut short.
class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> in)
      : next_(in.data()), end_(in.data() + in.size()) {}

  // Makes at least 56 bits available. Bits above the count are the input's own next bits or
  // zero, so loading the same bytes again changes nothing.
  void refill() {
    if (bytesLeft() >= 8) {
      refillWord();
      return;
    }
    while (count_ <= 56) {
      uint64_t byte = 0;
      if (next_ < end_)
        byte = *next_++;
      else
        ++padding_;
      bits_ |= byte << count_;
      count_ += 8;
    }
  }

  // refill() with the caller sure of bytesLeft() >= 8.
  void refillWord() {
    bits_ |= load64(next_) << count_;
    next_ += (63 - count_) >> 3;
    count_ |= 56;
  }
  std::size_t bytesLeft() const { return static_cast<std::size_t>(end_ - next_); }

  uint32_t peek(unsigned n) const {
    return static_cast<uint32_t>(bits_ & ((uint64_t{1} << n) - 1));
  }
  void drop(unsigned n) {
    bits_ >>= n;
    count_ -= n;
  }
  uint32_t take(unsigned n) {
    const uint32_t value = peek(n);
    drop(n);
    return value;
  }
  uint64_t bits() const { return bits_; }

  // Whether every bit and byte used so far was in the input.
  bool withinInput() const { return !exhausted_ && padding_ * 8 <= count_; }

  // Skips to the next byte boundary and gives the whole bytes still buffered back to the input,
  // for a stored block. False when bits past the input's end were used.
  bool alignToByte() {
    drop(count_ & 7);
    if (!withinInput()) return false;
    next_ -= count_ / 8 - padding_;
    bits_ = 0;
    count_ = 0;
    padding_ = 0;
    return true;
  }

  // The next n whole bytes of the input, after alignToByte, or as many as remain.
  std::span<const uint8_t> takeBytes(std::size_t n) {
    const std::span<const uint8_t> bytes(next_, std::min(n, bytesLeft()));
    next_ += bytes.size();
    return bytes;
  }
  // Records that the stream needs bytes beyond the input's end.
  void cutShort() { exhausted_ = true; }

 private:
  static uint64_t load64(const uint8_t* at) {
    uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&word, at, sizeof word);
    } else {
      for (int i = 7; i >= 0; --i) word = word << 8 | at[i];
    }
    return word;
  }

  const uint8_t* next_;
  const uint8_t* end_;
  uint64_t bits_ = 0;
  unsigned count_ = 0;    // bits buffered
  unsigned padding_ = 0;  // zero bytes buffered past the input's end
  bool exhausted_ = false;
};

// --- Writing the output ----------------------------------------------------------------------

// The longest match, and the room the unchecked steps of a block need: a literal and a match,
// plus the bytes a word-wise copy may write past a match.
constexpr std::size_t kLongestMatch = 258;
constexpr std::size_t kUncheckedRoom = 1 + kLongestMatch + 16;

// The output window: the last 32 KiB of output that matches may refer to, then new output up
// to end_, which is the window's end or the end of the expected output, whichever comes first.
class Output {
 public:
  Output(uint8_t* window, uint64_t size, DataSink& sink)
      : base_(window),
        next_(window),
        flushed_(window),
        limit_(window + FastInflater::kHistory + FastInflater::kOutputPiece),
        sink_(&sink) {
    setEnd(size);
  }

  std::size_t room() const { return static_cast<std::size_t>(end_ - next_); }
  // Whether output stopped at the end of the expected bytes.
  bool overflowed() const { return overflowed_; }
  bool complete() const { return next_ == end_ && afterEnd_ == 0; }

  // When the window is nearly full and more output is expected, hands the new bytes to the sink
  // and moves the last 32 KiB to the window's start.
  void makeRoom() {
    if (room() >= kUncheckedRoom || afterEnd_ == 0) return;
    const uint64_t expected = afterEnd_ + room();
    flush();
    const std::size_t kept = std::min<std::size_t>(FastInflater::kHistory, next_ - base_);
    std::memmove(base_, next_ - kept, kept);
    next_ = flushed_ = base_ + kept;
    setEnd(expected);
  }

  void flush() {
    sink_->write(std::span<const uint8_t>(flushed_, next_));
    flushed_ = next_;
  }

  // With kChecked false the caller has made sure of room() >= kUncheckedRoom.
  template <bool kChecked>
  bool putLiteral(uint32_t byte) {
    if (kChecked && next_ == end_) return overflow();
    *next_++ = static_cast<uint8_t>(byte);
    return true;
  }

  // Repeats length bytes from distance back. With room to spare it copies a word at a time,
  // which may write up to fifteen bytes past the match; later output overwrites them.
  template <bool kChecked>
  bool copyMatch(uint32_t distance, uint32_t length) {
    if (distance > static_cast<std::size_t>(next_ - base_)) return false;
    if (kChecked && length > room()) return overflow();
    uint8_t* to = next_;
    next_ += length;
    if (kChecked && room() < 16) {
      for (const uint8_t* from = to - distance; to < next_;) *to++ = *from++;
    } else if (distance >= 16) {
      copyWords<16>(to, to - distance);
    } else if (distance >= 8) {
      copyWords<8>(to, to - distance);
    } else if (distance == 1) {
      std::memset(to, to[-1], length);
    } else {
      // The bytes repeat every `distance`, so also every multiple of it: once the first such
      // multiple of at least eight is written byte by byte, the rest goes a word at a time.
      unsigned period = distance;
      while (period < 8) period += distance;
      const uint8_t* from = to - distance;
      const uint8_t* const patternEnd = to + std::min<std::size_t>(length, period);
      while (to < patternEnd) *to++ = *from++;
      if (to < next_) copyWords<8>(to, to - period);
    }
    return true;
  }

  bool copyStored(const uint8_t* bytes, std::size_t length) {
    while (length > 0) {
      makeRoom();
      const std::size_t piece = std::min(length, room());
      if (piece == 0) return overflow();
      std::memcpy(next_, bytes, piece);
      next_ += piece;
      bytes += piece;
      length -= piece;
    }
    return true;
  }

 private:
  void setEnd(uint64_t expected) {
    const std::size_t fits = static_cast<std::size_t>(std::min<uint64_t>(expected, limit_ - next_));
    end_ = next_ + fits;
    afterEnd_ = expected - fits;
  }

  bool overflow() {
    overflowed_ = true;
    return false;
  }

  // Copies words from `from` onwards to `to` onwards up to next_; `from` lies at least a word
  // behind `to`, so each word read is already written.
  template <std::size_t kWord>
  void copyWords(uint8_t* to, const uint8_t* from) {
    do {
      std::memcpy(to, from, kWord);
      to += kWord;
      from += kWord;
    } while (to < next_);
  }

  uint8_t* base_;
  uint8_t* next_;
  uint8_t* flushed_;  // output before this went to the sink
  uint8_t* end_;
  uint8_t* limit_;
  uint64_t afterEnd_ = 0;  // expected bytes that do not fit before end_
  bool overflowed_ = false;
  DataSink* sink_;
};

// --- Decoding tables -------------------------------------------------------------------------

// A table entry: bits 0-7 its code's length, 8-11 its kind, 12-15 the extra bits that follow
// the code, 16-31 its value: a literal, a base length or distance. For codes longer than the
// first level, the first level holds a link: where their second-level table starts (value) and
// how many further bits index it (bits 0-7).
enum Kind : uint32_t { kLiteral, kLength, kEndOfBlock, kDistance, kSubtable, kInvalid };

constexpr uint32_t entry(Kind kind, uint32_t value = 0, uint32_t extraBits = 0) {
  return value << 16 | extraBits << 12 | static_cast<uint32_t>(kind) << 8;
}
constexpr unsigned codeBits(uint32_t e) { return e & 0xff; }
constexpr Kind kindOf(uint32_t e) { return static_cast<Kind>(e >> 8 & 0xf); }
constexpr unsigned extraBitsOf(uint32_t e) { return e >> 12 & 0xf; }
constexpr uint32_t valueOf(uint32_t e) { return e >> 16; }

constexpr unsigned kLongestCode = 15;

constexpr std::array<uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10,  11,  13,
                                                  15, 17, 19, 23, 27, 31, 35, 43,  51,  59,
                                                  67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,
                                                    4, 4, 5, 5, 6, 6, 7,  7,  8,  8,
                                                    9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

uint32_t literalLengthEntry(unsigned symbol) {
  if (symbol < 256) return entry(kLiteral, symbol);
  if (symbol == 256) return entry(kEndOfBlock);
  if (symbol < 286) return entry(kLength, kLengthBase[symbol - 257], kLengthExtra[symbol - 257]);
  return entry(kInvalid);
}

uint32_t distanceEntry(unsigned symbol) {
  return symbol < 30 ? entry(kDistance, kDistanceBase[symbol], kDistanceExtra[symbol])
                     : entry(kInvalid);
}

uint32_t codeLengthEntry(unsigned symbol) { return entry(kLiteral, symbol); }

unsigned reversed(unsigned code, unsigned length) {
  unsigned result = 0;
  for (unsigned i = 0; i < length; ++i, code >>= 1) result = result << 1 | (code & 1);
  return result;
}

// The decoding table of a canonical Huffman code: codes up to kRootBits long are looked up in
// one step, longer ones through a second-level table under their first kRootBits bits.
// kCapacity bounds the first level and every second-level table together.
template <unsigned kRootBits, std::size_t kCapacity>
class HuffmanTable {
 public:
  // Builds the table from each symbol's code length (0: not used). False for the sets of
  // lengths that zlib refuses: over-subscribed ones, and incomplete ones except a single code
  // of one bit (in the code-length code, not even that).
  bool build(std::span<const uint8_t> lengths, uint32_t (*symbolEntry)(unsigned),
             bool codeLengthCode = false) {
    std::array<unsigned, kLongestCode + 1> count{};
    for (uint8_t length : lengths) ++count[length];
    count[0] = 0;
    unsigned longest = kLongestCode;
    while (longest > 0 && count[longest] == 0) --longest;
    // As zlib does, a code without any symbols reads each code length as 0 from one bit, and
    // in other codes the slots no code reaches fail after one bit.
    if (longest == 0 && codeLengthCode) {
      std::fill_n(entries_.begin(), kRootSize, codeLengthEntry(0) | 1);
      return true;
    }
    std::fill_n(entries_.begin(), kRootSize, entry(kInvalid) | 1);
    if (longest == 0) return true;

    int left = 1;
    for (unsigned length = 1; length <= kLongestCode; ++length) {
      left = (left << 1) - static_cast<int>(count[length]);
      if (left < 0) return false;
    }
    if (left > 0 && (codeLengthCode || longest != 1)) return false;

    std::array<unsigned, kLongestCode + 1> nextCode{};
    for (unsigned length = 1, code = 0; length <= kLongestCode; ++length) {
      code = (code + count[length - 1]) << 1;
      nextCode[length] = code;
    }
    std::array<uint16_t, 288> codes{};
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol)
      if (lengths[symbol] != 0) codes[symbol] = static_cast<uint16_t>(nextCode[lengths[symbol]]++);

    if (longest > kRootBits && !placeSecondLevels(lengths, codes)) return false;
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol)
      if (lengths[symbol] != 0)
        place(symbolEntry(static_cast<unsigned>(symbol)), codes[symbol], lengths[symbol]);
    return true;
  }

  // The entry of the code at the start of bits (up to kLongestCode of them), whose bit count
  // is the code's whole length.
  uint32_t lookup(uint64_t bits) const {
    const uint32_t e = entries_[bits & (kRootSize - 1)];
    if (kindOf(e) != kSubtable) return e;
    return entries_[valueOf(e) + (bits >> kRootBits & ((1u << codeBits(e)) - 1))];
  }

  // The entry of the next code, whose bits are taken.
  uint32_t decode(BitReader& in) const {
    const uint32_t e = lookup(in.bits());
    in.drop(codeBits(e));
    return e;
  }

 private:
  static constexpr unsigned kRootSize = 1u << kRootBits;

  // Gives each first-level slot under which longer codes lie a second-level table, as large as
  // its longest code needs.
  bool placeSecondLevels(std::span<const uint8_t> lengths, const std::array<uint16_t, 288>& codes) {
    std::array<uint8_t, kRootSize> levelBits{};
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
      const unsigned length = lengths[symbol];
      if (length <= kRootBits) continue;
      const unsigned slot = reversed(codes[symbol], length) & (kRootSize - 1);
      if (length - kRootBits > levelBits[slot]) levelBits[slot] = static_cast<uint8_t>(length - kRootBits);
    }
    std::size_t used = kRootSize;
    for (unsigned slot = 0; slot < kRootSize; ++slot) {
      if (levelBits[slot] == 0) continue;
      if (used + (std::size_t{1} << levelBits[slot]) > kCapacity) return false;
      entries_[slot] = entry(kSubtable, static_cast<uint32_t>(used)) | levelBits[slot];
      used += std::size_t{1} << levelBits[slot];
    }
    return true;
  }

  // Writes the symbol's entry into every slot whose low bits are its code, read in stream order.
  void place(uint32_t symbolEntry, unsigned code, unsigned length) {
    const unsigned bits = reversed(code, length);
    if (length <= kRootBits) {
      for (unsigned slot = bits; slot < kRootSize; slot += 1u << length)
        entries_[slot] = symbolEntry | length;
      return;
    }
    const uint32_t link = entries_[bits & (kRootSize - 1)];
    const unsigned levelLength = length - kRootBits;
    for (unsigned slot = bits >> kRootBits; slot < (1u << codeBits(link)); slot += 1u << levelLength)
      entries_[valueOf(link) + slot] = symbolEntry | length;
  }

  std::array<uint32_t, kCapacity> entries_;
};

constexpr unsigned kLiteralLengthSymbols = 288;
constexpr unsigned kDistanceSymbols = 32;
using LiteralLengthTable = HuffmanTable<11, (1u << 11) + 286 * (1u << 4)>;
using DistanceTable = HuffmanTable<8, (1u << 8) + 30 * (1u << 7)>;
using CodeLengthTable = HuffmanTable<7, 1u << 7>;

struct FixedTables {
  FixedTables() {
    std::array<uint8_t, kLiteralLengthSymbols> literalLengths{};
    for (unsigned symbol = 0; symbol < kLiteralLengthSymbols; ++symbol)
      literalLengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
    std::array<uint8_t, kDistanceSymbols> distanceLengths{};
    distanceLengths.fill(5);
    literalLength.build(literalLengths, literalLengthEntry);
    distance.build(distanceLengths, distanceEntry);
  }
  LiteralLengthTable literalLength;
  DistanceTable distance;
};

const FixedTables& fixedTables() {
  static const FixedTables tables;
  return tables;
}

// --- Blocks ----------------------------------------------------------------------------------

enum class Step { kGoOn, kEndOfBlock, kInvalid };

// The input the unchecked loop needs at the start of each turn: a word-wise refill moves on up
// to seven bytes and reads eight.
constexpr std::size_t kUncheckedInput = 16;

// Literals and matches while the input and the output have room for any of them, without
// bounds checks. Each turn takes at most 15 + 15 or 15 + 5 + 15 + 13 bits, fewer than a refill
// makes available, and refills once. The next code's entry is looked up as soon as the bits
// before it are taken, so that the lookup overlaps with writing the match before it.
Step decodeUnchecked(BitReader& in, const LiteralLengthTable& literalLength,
                     const DistanceTable& distance, Output& out) {
  in.refillWord();
  uint32_t symbol = literalLength.lookup(in.bits());
  while (in.bytesLeft() >= kUncheckedInput && out.room() >= kUncheckedRoom) {
    in.drop(codeBits(symbol));
    if (kindOf(symbol) == kLiteral) {
      out.putLiteral<false>(valueOf(symbol));
      symbol = literalLength.lookup(in.bits());
      if (kindOf(symbol) == kLiteral) {
        in.drop(codeBits(symbol));
        out.putLiteral<false>(valueOf(symbol));
        in.refillWord();
        symbol = literalLength.lookup(in.bits());
      } else {
        in.refillWord();
      }
      continue;
    }
    if (kindOf(symbol) != kLength)
      return kindOf(symbol) == kEndOfBlock ? Step::kEndOfBlock : Step::kInvalid;
    const uint32_t length = valueOf(symbol) + in.take(extraBitsOf(symbol));
    const uint32_t place = distance.decode(in);
    if (kindOf(place) != kDistance) return Step::kInvalid;
    const uint32_t distanceBack = valueOf(place) + in.take(extraBitsOf(place));
    in.refillWord();
    symbol = literalLength.lookup(in.bits());
    if (!out.copyMatch<false>(distanceBack, length)) return Step::kInvalid;
  }
  return Step::kGoOn;
}

// One literal, match or end of block near the input's or the output's end, every bound checked.
Step decodeChecked(BitReader& in, const LiteralLengthTable& literalLength,
                   const DistanceTable& distance, Output& out) {
  // Zero bits past the input's end would decode as anything, and might fill gigabytes.
  if (!in.withinInput()) return Step::kInvalid;
  in.refill();
  const uint32_t symbol = literalLength.decode(in);
  if (kindOf(symbol) == kLiteral)
    return out.putLiteral<true>(valueOf(symbol)) ? Step::kGoOn : Step::kInvalid;
  if (kindOf(symbol) != kLength)
    return kindOf(symbol) == kEndOfBlock ? Step::kEndOfBlock : Step::kInvalid;
  const uint32_t length = valueOf(symbol) + in.take(extraBitsOf(symbol));
  const uint32_t place = distance.decode(in);
  if (kindOf(place) != kDistance) return Step::kInvalid;
  return out.copyMatch<true>(valueOf(place) + in.take(extraBitsOf(place)), length)
             ? Step::kGoOn
             : Step::kInvalid;
}

// The compressed data of one block, up to and including its end-of-block code: unchecked
// steps while the input and output have room for them, checked ones near their ends. The
// reader and the output are worked on as local copies, which the compiler keeps in registers;
// byte stores into the output would otherwise make it reload them after every byte.
bool decodeCompressed(BitReader& reader, const LiteralLengthTable& literalLength,
                      const DistanceTable& distance, Output& output) {
  BitReader in = reader;
  Output out = output;
  Step step = Step::kGoOn;
  while (step == Step::kGoOn) {
    out.makeRoom();
    if (in.bytesLeft() >= kUncheckedInput && out.room() >= kUncheckedRoom)
      step = decodeUnchecked(in, literalLength, distance, out);
    else
      step = decodeChecked(in, literalLength, distance, out);
  }
  reader = in;
  output = out;
  return step == Step::kEndOfBlock;
}

// A stored block's bytes are copied as far as the input has them, as zlib copies them, so that
// too much output shows before the input's end does.
bool decodeStored(BitReader& in, Output& out) {
  if (!in.alignToByte()) return false;
  const std::span<const uint8_t> header = in.takeBytes(4);
  if (header.size() < 4) {
    in.cutShort();
    return false;
  }
  const unsigned length = header[0] | header[1] << 8;
  const unsigned complement = header[2] | header[3] << 8;
  if (length != (~complement & 0xffff)) return false;
  const std::span<const uint8_t> bytes = in.takeBytes(length);
  if (!out.copyStored(bytes.data(), bytes.size())) return false;
  if (bytes.size() < length) in.cutShort();
  return bytes.size() == length;
}

// A block with its own codes: their code lengths, themselves coded with a code-length code.
bool decodeDynamic(BitReader& in, Output& out) {
  static constexpr std::array<uint8_t, 19> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                               11, 4,  12, 3, 13, 2, 14, 1, 15};
  in.refill();
  const unsigned literalLengthCount = in.take(5) + 257;
  const unsigned distanceCount = in.take(5) + 1;
  const unsigned codeLengthCount = in.take(4) + 4;
  if (literalLengthCount > 286 || distanceCount > 30) return false;

  std::array<uint8_t, 19> codeLengthLengths{};
  for (unsigned i = 0; i < codeLengthCount; ++i) {
    in.refill();
    codeLengthLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(in.take(3));
  }
  CodeLengthTable codeLengthCode;
  if (!codeLengthCode.build(codeLengthLengths, codeLengthEntry, true)) return false;

  std::array<uint8_t, 286 + 30> lengths{};
  const unsigned total = literalLengthCount + distanceCount;
  for (unsigned filled = 0; filled < total;) {
    in.refill();
    const uint32_t code = codeLengthCode.decode(in);
    if (kindOf(code) != kLiteral) return false;
    const unsigned symbol = valueOf(code);
    if (symbol < 16) {
      lengths[filled++] = static_cast<uint8_t>(symbol);
      continue;
    }
    // A repeat's count is read before it is judged, as zlib does.
    unsigned times = symbol == 16 ? 3 + in.take(2) : symbol == 17 ? 3 + in.take(3) : 11 + in.take(7);
    if (symbol == 16 && filled == 0) return false;
    const uint8_t repeated = symbol == 16 ? lengths[filled - 1] : 0;
    if (times > total - filled) return false;
    for (; times > 0; --times) lengths[filled++] = repeated;
  }
  if (lengths[256] == 0) return false;  // no end-of-block code

  const auto all = std::span<const uint8_t>(lengths);
  LiteralLengthTable literalLength;
  DistanceTable distance;
  if (!literalLength.build(all.first(literalLengthCount), literalLengthEntry) ||
      !distance.build(all.subspan(literalLengthCount, distanceCount), distanceEntry))
    return false;
  return decodeCompressed(in, literalLength, distance, out);
}

}  // namespace

InflateResult FastInflater::inflate(std::span<const uint8_t> in, uint64_t size, DataSink& sink) {
  if (!window_) window_ = std::make_unique_for_overwrite<uint8_t[]>(kHistory + kOutputPiece);
  BitReader bits(in);
  Output output(window_.get(), size, sink);
  bool decoded = true;
  for (bool last = false; decoded && !last;) {
    bits.refill();
    if (!bits.withinInput()) break;
    last = bits.take(1) != 0;
    switch (bits.take(2)) {
      case 0:
        decoded = decodeStored(bits, output);
        break;
      case 1:
        decoded = decodeCompressed(bits, fixedTables().literalLength, fixedTables().distance,
                                   output);
        break;
      case 2:
        decoded = decodeDynamic(bits, output);
        break;
      default:
        decoded = false;
    }
  }
  // Bits past the input's end were used before any other fault showed: zlib, given the input
  // in pieces, would have been waiting for more.
  if (!bits.withinInput()) return InflateResult::kCutShort;
  if (!decoded) return output.overflowed() ? InflateResult::kTooLong : InflateResult::kInvalid;
  if (!output.complete()) return InflateResult::kTooShort;
  output.flush();
  return InflateResult::kDone;
}

}  // namespace tarvik::unziplib
