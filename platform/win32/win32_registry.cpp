// The registry through advapi32: keys open for reading only, in the 32-bit view, where the
// 32-bit simulators keep their entries; string data converted from UTF-16 to UTF-8.

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace tarvik {
namespace {

bool isStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

class Win32RegistryKey : public RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}
  ~Win32RegistryKey() override { RegCloseKey(key_); }
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

  int32_t queryValue(const std::string& valueName, uint32_t& type, uint8_t* data,
                     uint32_t& size) override {
    std::vector<uint8_t> value;
    DWORD valueType = REG_NONE;
    const LONG status = readWhole(widen(valueName), valueType, value);
    if (status != ERROR_SUCCESS) return status;
    if (isStringType(valueType)) value = toUtf8(value);
    type = valueType;
    const auto needed = static_cast<uint32_t>(value.size());
    if (data == nullptr) {
      size = needed;
      return ERROR_SUCCESS;
    }
    if (size < needed) {
      size = needed;
      return ERROR_MORE_DATA;
    }
    if (needed > 0) std::memcpy(data, value.data(), needed);
    size = needed;
    return ERROR_SUCCESS;
  }

 private:
  LONG readWhole(const std::wstring& name, DWORD& type, std::vector<uint8_t>& value) {
    DWORD size = 0;
    LONG status = RegQueryValueExW(key_, name.c_str(), nullptr, &type, nullptr, &size);
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
      value.resize(size);
      status = RegQueryValueExW(key_, name.c_str(), nullptr, &type, value.data(), &size);
      if (status == ERROR_SUCCESS) {
        value.resize(size);
        return status;
      }
    }
    return status;
  }

  // UTF-16 string data as UTF-8, NULs kept where they stand.
  static std::vector<uint8_t> toUtf8(const std::vector<uint8_t>& utf16) {
    std::wstring wide(utf16.size() / sizeof(wchar_t), L'\0');
    std::memcpy(wide.data(), utf16.data(), wide.size() * sizeof(wchar_t));
    const std::string text = narrow(wide);
    return {text.begin(), text.end()};
  }

  HKEY key_;
};

class Win32Registry : public Registry {
 public:
  std::unique_ptr<RegistryKey> openMachineKey(const std::string& subKey) override {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, widen(subKey).c_str(), 0,
                      KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
      return nullptr;
    return std::make_unique<Win32RegistryKey>(key);
  }
};

}  // namespace

std::unique_ptr<Registry> makeWin32Registry() { return std::make_unique<Win32Registry>(); }

}  // namespace tarvik
