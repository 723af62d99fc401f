#pragma once
// SHA-256, computed by the system's own implementation: CryptoAPI on Windows, OpenSSL's
// libcrypto elsewhere.

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace tarvik {

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
 public:
  // Raises a RuntimeError when the system cannot compute SHA-256.
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void add(std::span<const uint8_t> bytes);
  // The digest of everything added. Call it once.
  Sha256Digest finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tarvik
