#pragma once
// The traditional password encryption of ZIP entries: three keys driven by the password and by
// every plain byte, and a 12-byte header in front of the data whose last byte checks the password.

#include <cstdint>
#include <span>
#include <string_view>

namespace tarvik::unziplib {

class ZipDecrypter {
 public:
  static constexpr std::size_t kHeaderSize = 12;

  explicit ZipDecrypter(std::string_view password);

  // Decrypts the header; true when its last byte equals the check byte (the high byte of the
  // entry's CRC, or of its DOS time when the entry has a data descriptor). A wrong password
  // passes this test once in 256 times; the CRC of the data catches it then.
  bool acceptsHeader(std::span<const uint8_t, kHeaderSize> header, uint8_t check);
  void decrypt(std::span<uint8_t> bytes);

 private:
  void update(uint8_t plain);
  uint8_t streamByte() const;

  uint32_t keys_[3];
};

}  // namespace tarvik::unziplib
