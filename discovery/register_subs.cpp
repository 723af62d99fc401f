#include "discovery/register_subs.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

namespace tarvik {
namespace {

constexpr int32_t kUnsupportedType = -1;
constexpr int32_t kReadFailed = -1;

// The text of string data: up to its first NUL, or all of it when it has none.
std::string textOf(const std::vector<uint8_t>& buffer, uint32_t size) {
  const auto end = buffer.begin() + std::min<std::size_t>(size, buffer.size());
  return std::string(buffer.begin(), std::find(buffer.begin(), end, uint8_t{0}));
}

}  // namespace

std::string readResultText(const ReadResult& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<int32_t>(&value)) return std::to_string(*number);
  return {};
}

namespace RegisterSubs {

std::string ReadMachineString(Registry& registry, const std::string& subKey,
                              const std::string& valueName) {
  try {
    return readResultText(ReadKeyValue(registry, subKey, valueName));
  } catch (const std::exception&) {
    return {};
  }
}

ReadResult ReadKeyValue(Registry& registry, const std::string& subKey,
                        const std::string& valueName) {
  std::unique_ptr<RegistryKey> key;
  try {
    key = registry.openMachineKey(subKey);
  } catch (const std::exception&) {
    // The key stays null and the read below fails on it.
  }
  ReadResult value;
  int32_t status = kReadFailed;
  try {
    status = ReadOpenKeyValue(key.get(), valueName, value);
  } catch (const std::exception&) {
    // A failed read leaves the status unsuccessful.
  }
  if (status != registry_status::kSuccess) value = std::string();
  key.reset();
  return value;
}

int32_t ReadOpenKeyValue(RegistryKey* openKey, const std::string& valueName, ReadResult& value) {
  if (openKey == nullptr) return registry_status::kInvalidHandle;
  uint32_t type = registry_type::kNone;
  uint32_t size = 0;
  int32_t status = openKey->queryValue(valueName, type, nullptr, size);
  if (status != registry_status::kSuccess) return status;
  try {
    if (type == registry_type::kString) {
      // One byte at least, so that the read below always hands over a buffer.
      std::vector<uint8_t> buffer(std::max<uint32_t>(size, 1), 0);
      status = openKey->queryValue(valueName, type, buffer.data(), size);
      if (status == registry_status::kSuccess)
        value = textOf(buffer, size);
      else
        value = std::monostate();
    } else if (type == registry_type::kDword) {
      // The stored data may be longer than a DWORD; the buffer takes all of it and the number
      // is its first four bytes.
      std::vector<uint8_t> buffer(std::max<uint32_t>(size, sizeof(int32_t)), 0);
      status = openKey->queryValue(valueName, type, buffer.data(), size);
      if (status == registry_status::kSuccess) {
        int32_t number = 0;
        std::memcpy(&number, buffer.data(), sizeof number);
        value = number;
      }
    } else {
      status = kUnsupportedType;
    }
  } catch (const std::exception&) {
    // The routine ends with the status as it stood.
  }
  return status;
}

}  // namespace RegisterSubs
}  // namespace tarvik
