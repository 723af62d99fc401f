// SHA-256 through OpenSSL's libcrypto.

#include <openssl/evp.h>

#include <string>

#include "platform/runtime_error.h"
#include "platform/sha256.h"

namespace tarvik {
namespace {

[[noreturn]] void fail(const char* step) {
  throw RuntimeError(51, std::string("Internal error: SHA-256 failed in ") + step);
}

}  // namespace

struct Sha256::State {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  if (state_->context == nullptr || EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr) != 1)
    fail("EVP_DigestInit_ex");
}

Sha256::~Sha256() = default;

void Sha256::add(std::span<const uint8_t> bytes) {
  if (EVP_DigestUpdate(state_->context, bytes.data(), bytes.size()) != 1)
    fail("EVP_DigestUpdate");
}

Sha256Digest Sha256::finish() {
  Sha256Digest digest{};
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(state_->context, digest.data(), &length) != 1 || length != digest.size())
    fail("EVP_DigestFinal_ex");
  return digest;
}

}  // namespace tarvik
