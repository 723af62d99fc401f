#pragma once
// Read access to registry values under HKEY_LOCAL_MACHINE, in the view where the 32-bit
// simulators keep their keys. A key is closed when its object goes.

#include <cstdint>
#include <memory>
#include <string>

namespace tarvik {

namespace registry_type {
constexpr uint32_t kNone = 0;
constexpr uint32_t kString = 1;        // REG_SZ
constexpr uint32_t kExpandString = 2;  // REG_EXPAND_SZ
constexpr uint32_t kBinary = 3;        // REG_BINARY
constexpr uint32_t kDword = 4;         // REG_DWORD
constexpr uint32_t kMultiString = 7;   // REG_MULTI_SZ
}  // namespace registry_type

namespace registry_status {
constexpr int32_t kSuccess = 0;
constexpr int32_t kFileNotFound = 2;
constexpr int32_t kInvalidHandle = 6;
constexpr int32_t kMoreData = 234;
}  // namespace registry_status

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // Reads a value like RegQueryValueEx: with data null, reports only type and size; otherwise
  // copies the value into data, which holds size bytes, and sets size to the bytes written.
  // String data is UTF-8 and keeps its terminating and embedded NULs as stored.
  // Returns a registry status: 0 on success.
  virtual int32_t queryValue(const std::string& valueName, uint32_t& type, uint8_t* data,
                             uint32_t& size) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens a key below HKEY_LOCAL_MACHINE for reading; null when it cannot be opened.
  virtual std::unique_ptr<RegistryKey> openMachineKey(const std::string& subKey) = 0;
};

}  // namespace tarvik
