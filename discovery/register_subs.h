#pragma once
// Reading one registry value under HKEY_LOCAL_MACHINE as text, swallowing every failure.

#include <cstdint>
#include <string>
#include <variant>

#include "platform/registry.h"

namespace tarvik {

// What a registry read produced: nothing, a string or a signed 32-bit integer.
using ReadResult = std::variant<std::monostate, std::string, int32_t>;

// Nothing gives the empty text, a string itself, an integer its decimal digits.
std::string readResultText(const ReadResult& value);

namespace RegisterSubs {

// The value named valueName of the key subKey below HKEY_LOCAL_MACHINE, as text; the empty
// text on any failure. Never raises.
std::string ReadMachineString(Registry& registry, const std::string& subKey,
                              const std::string& valueName);

// Opens subKey below HKEY_LOCAL_MACHINE, reads the value and closes the key again. Any
// failure gives an empty string result.
ReadResult ReadKeyValue(Registry& registry, const std::string& subKey,
                        const std::string& valueName);

// Reads one value of an open key (null for a key that could not be opened) into value.
// Returns 0 when value was set; otherwise value is left alone or emptied, and the status is a
// registry status, or -1 for a type other than REG_SZ and REG_DWORD.
int32_t ReadOpenKeyValue(RegistryKey* openKey, const std::string& valueName, ReadResult& value);

}  // namespace RegisterSubs
}  // namespace tarvik
