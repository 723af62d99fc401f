#include "unziplib/password_source.h"

namespace tarvik::unziplib {

PasswordSource::Result PasswordSource::unlock(
    std::span<const uint8_t, ZipDecrypter::kHeaderSize> header, uint8_t check,
    const std::string& shownName) {
  if (lastFitting_) {
    ZipDecrypter decrypter(*lastFitting_);
    if (decrypter.acceptsHeader(header, check)) return {Outcome::kUnlocked, decrypter};
  }
  if (!callback_) return {Outcome::kRefused, std::nullopt};
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::string prompt =
        (attempt == 0 ? "Enter the password for " : "Wrong password. Enter the password for ") +
        shownName;
    std::array<char, kBufferSize> buffer{};
    if (callback_(buffer.data(), kBufferSize, prompt.c_str(), shownName.c_str()) != 0)
      return {Outcome::kRefused, std::nullopt};
    buffer.back() = '\0';
    const std::string password(buffer.data());
    ZipDecrypter decrypter(password);
    if (decrypter.acceptsHeader(header, check)) {
      lastFitting_ = password;
      return {Outcome::kUnlocked, decrypter};
    }
  }
  return {Outcome::kWrong, std::nullopt};
}

}  // namespace tarvik::unziplib
