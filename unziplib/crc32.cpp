#include "unziplib/crc32.h"

#include <zlib.h>
#undef zlib_version  // a name of zlib's that the version record uses for a field

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TARVIK_CRC_FOLDING 1
#endif

namespace tarvik::unziplib {
namespace {

uint32_t zlibCrc(uint32_t crc, const uint8_t* bytes, std::size_t length) {
  return static_cast<uint32_t>(crc32_z(crc, bytes, length));
}

#ifdef TARVIK_CRC_FOLDING

// Folding moves a 128-bit block of the message forward by `distance` bits without changing the
// message's remainder modulo the CRC polynomial: its low and high halves are multiplied by
// x^(distance+32) and x^(distance-32) modulo the polynomial, in the bit-reflected form the
// reflected CRC-32 of zip uses.
constexpr uint64_t kPolynomial = 0x104C11DB7;

constexpr uint64_t foldFactor(unsigned exponent) {
  uint64_t remainder = 1;
  for (unsigned i = 0; i < exponent; ++i) {
    remainder <<= 1;
    if (remainder >> 32 & 1) remainder ^= kPolynomial;
  }
  uint64_t reflected = 0;
  for (unsigned bit = 0; bit < 32; ++bit)
    if (remainder >> bit & 1) reflected |= uint64_t{1} << (31 - bit);
  return reflected << 1;
}

constexpr long long kFold512Low = static_cast<long long>(foldFactor(512 + 32));
constexpr long long kFold512High = static_cast<long long>(foldFactor(512 - 32));
constexpr long long kFold128Low = static_cast<long long>(foldFactor(128 + 32));
constexpr long long kFold128High = static_cast<long long>(foldFactor(128 - 32));

__attribute__((target("pclmul"))) inline __m128i fold(__m128i block, __m128i factors,
                                                       __m128i next) {
  const __m128i low = _mm_clmulepi64_si128(block, factors, 0x00);
  const __m128i high = _mm_clmulepi64_si128(block, factors, 0x11);
  return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

inline __m128i load(const uint8_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// The CRC of length bytes (at least 64), folded four blocks abreast to one block of sixteen
// bytes with the same remainder, whose CRC zlib then takes, and the bytes after it.
__attribute__((target("pclmul"))) uint32_t foldedCrc(uint32_t crc, const uint8_t* bytes,
                                                     std::size_t length) {
  const __m128i by512 = _mm_set_epi64x(kFold512High, kFold512Low);
  const __m128i by128 = _mm_set_epi64x(kFold128High, kFold128Low);
  // The register's starting value enters as the message's first 32 bits.
  __m128i x0 = _mm_xor_si128(load(bytes), _mm_cvtsi32_si128(static_cast<int>(~crc)));
  __m128i x1 = load(bytes + 16);
  __m128i x2 = load(bytes + 32);
  __m128i x3 = load(bytes + 48);
  bytes += 64;
  length -= 64;
  for (; length >= 64; bytes += 64, length -= 64) {
    x0 = fold(x0, by512, load(bytes));
    x1 = fold(x1, by512, load(bytes + 16));
    x2 = fold(x2, by512, load(bytes + 32));
    x3 = fold(x3, by512, load(bytes + 48));
  }
  x1 = fold(x0, by128, x1);
  x2 = fold(x1, by128, x2);
  x3 = fold(x2, by128, x3);
  for (; length >= 16; bytes += 16, length -= 16) x3 = fold(x3, by128, load(bytes));

  alignas(16) uint8_t folded[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(folded), x3);
  // zlib's crc32() takes and gives the register inverted: from ~0 it starts at zero.
  return zlibCrc(zlibCrc(0xffffffffu, folded, sizeof folded), bytes, length);
}

bool processorFolds() {
  static const bool folds = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
  return folds;
}

#endif

}  // namespace

uint32_t crc32Update(uint32_t crc, std::span<const uint8_t> bytes) {
#ifdef TARVIK_CRC_FOLDING
  if (bytes.size() >= 64 && processorFolds()) return foldedCrc(crc, bytes.data(), bytes.size());
#endif
  return zlibCrc(crc, bytes.data(), bytes.size());
}

}  // namespace tarvik::unziplib
