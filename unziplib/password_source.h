#pragma once
// Passwords for encrypted members: the last password that fitted is tried first, then the
// caller's password callback is asked, a few times when the answers do not fit.

#include <array>
#include <optional>
#include <string>

#include "unziplib/tarvik_unzip.h"
#include "unziplib/zip_crypto.h"

namespace tarvik::unziplib {

class PasswordSource {
 public:
  static constexpr int kAttempts = 3;
  static constexpr int32_t kBufferSize = 256;

  explicit PasswordSource(TarvikPasswordCallback callback) : callback_(callback) {}

  enum class Outcome { kUnlocked, kRefused, kWrong };
  struct Result {
    Outcome outcome;
    std::optional<ZipDecrypter> decrypter;  // set when unlocked, past the header
  };

  // Finds a password that the member's encryption header accepts. shownName is the member's
  // name for the callback, in the caller's code page.
  Result unlock(std::span<const uint8_t, ZipDecrypter::kHeaderSize> header, uint8_t check,
                const std::string& shownName);

 private:
  TarvikPasswordCallback callback_;
  std::optional<std::string> lastFitting_;
};

}  // namespace tarvik::unziplib
