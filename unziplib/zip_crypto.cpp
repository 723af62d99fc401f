#include "unziplib/zip_crypto.h"

#include <zlib.h>
#undef zlib_version  // a name of zlib's that the version record uses for a field

#include <algorithm>
#include <array>

namespace tarvik::unziplib {
namespace {

const z_crc_t* crcTable() {
  static const z_crc_t* table = get_crc_table();
  return table;
}

uint32_t crcStep(uint32_t crc, uint8_t byte) { return crcTable()[(crc ^ byte) & 0xFF] ^ (crc >> 8); }

}  // namespace

ZipDecrypter::ZipDecrypter(std::string_view password) : keys_{0x12345678, 0x23456789, 0x34567890} {
  for (const char c : password) update(static_cast<uint8_t>(c));
}

void ZipDecrypter::update(uint8_t plain) {
  keys_[0] = crcStep(keys_[0], plain);
  keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
  keys_[2] = crcStep(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
}

uint8_t ZipDecrypter::streamByte() const {
  const uint32_t temp = (keys_[2] | 2) & 0xFFFF;
  return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
}

void ZipDecrypter::decrypt(std::span<uint8_t> bytes) {
  for (uint8_t& byte : bytes) {
    byte ^= streamByte();
    update(byte);
  }
}

bool ZipDecrypter::acceptsHeader(std::span<const uint8_t, kHeaderSize> header, uint8_t check) {
  std::array<uint8_t, kHeaderSize> plain;
  std::copy(header.begin(), header.end(), plain.begin());
  decrypt(plain);
  return plain.back() == check;
}

}  // namespace tarvik::unziplib
