// SHA-256 through CryptoAPI, which advapi32 offers on every Windows since XP SP3.

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <string>

#include "platform/runtime_error.h"
#include "platform/sha256.h"

namespace tarvik {
namespace {

[[noreturn]] void fail(const char* step) {
  throw RuntimeError(51, std::string("Internal error: SHA-256 failed in ") + step + " (error " +
                             std::to_string(GetLastError()) + ")");
}

}  // namespace

struct Sha256::State {
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;

  ~State() {
    if (hash) CryptDestroyHash(hash);
    if (provider) CryptReleaseContext(provider, 0);
  }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  if (!CryptAcquireContextW(&state_->provider, nullptr, nullptr, PROV_RSA_AES,
                            CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
    fail("CryptAcquireContext");
  if (!CryptCreateHash(state_->provider, CALG_SHA_256, 0, 0, &state_->hash))
    fail("CryptCreateHash");
}

Sha256::~Sha256() = default;

void Sha256::add(std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (!CryptHashData(state_->hash, bytes.data(), piece, 0)) fail("CryptHashData");
    bytes = bytes.subspan(piece);
  }
}

Sha256Digest Sha256::finish() {
  Sha256Digest digest{};
  DWORD length = static_cast<DWORD>(digest.size());
  if (!CryptGetHashParam(state_->hash, HP_HASHVAL, digest.data(), &length, 0) ||
      length != digest.size())
    fail("CryptGetHashParam");
  return digest;
}

}  // namespace tarvik
