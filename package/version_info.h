#pragma once
// The version information resource of a Windows program (VS_VERSIONINFO): its fixed part, its
// string tables and its translation entries.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvik::package {

class VersionInfoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace version_fixed {
inline constexpr uint32_t kSignature = 0xFEEF04BD;
inline constexpr uint32_t kOsWindows32 = 0x00000004;  // VOS__WINDOWS32
inline constexpr uint32_t kTypeApplication = 1;       // VFT_APP
}  // namespace version_fixed

struct FixedVersionInfo {
  uint32_t signature = 0;
  std::array<uint16_t, 4> fileVersion{};     // major, minor, build, revision
  std::array<uint16_t, 4> productVersion{};
  uint32_t flagsMask = 0;
  uint32_t flags = 0;
  uint32_t fileOs = 0;
  uint32_t fileType = 0;
  uint32_t fileSubtype = 0;
};

struct VersionStringTable {
  std::string key;  // language and code page as 8 hexadecimal digits, e.g. "040904B0"
  std::vector<std::pair<std::string, std::string>> strings;  // name, value; in file order

  // The value of the named string, or nullptr.
  const std::string* find(std::string_view name) const;
};

struct VersionInfo {
  FixedVersionInfo fixed;
  std::vector<VersionStringTable> stringTables;
  std::vector<std::pair<uint16_t, uint16_t>> translations;  // language, code page
  std::vector<std::string> otherBlocks;                      // keys of unexpected blocks
};

// Throws VersionInfoError when the blocks do not nest within their stated lengths.
VersionInfo parseVersionInfo(std::string_view data);

}  // namespace tarvik::package
