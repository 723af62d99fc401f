// SHA-256 of the system (CryptoAPI on Windows, libcrypto elsewhere) against the standard's own
// test vectors, whole and in pieces.

#include "platform/sha256.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace tarvik {
namespace {

std::string hex(const Sha256Digest& digest) {
  std::string text;
  char pair[3];
  for (const uint8_t byte : digest) {
    std::snprintf(pair, sizeof pair, "%02x", byte);
    text += pair;
  }
  return text;
}

std::span<const uint8_t> bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(Sha256Test, GivesTheStandardsDigests) {
  Sha256 empty;
  EXPECT_EQ(hex(empty.finish()),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  Sha256 abc;
  abc.add(bytes("abc"));
  EXPECT_EQ(hex(abc.finish()),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  Sha256 million;
  const std::string piece(1000, 'a');
  for (int i = 0; i < 1000; ++i) million.add(bytes(piece));
  EXPECT_EQ(hex(million.finish()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace tarvik
