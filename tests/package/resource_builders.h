#pragma once
// Test builders for the bytes of a Windows program's resources: a minimal program file with a
// resource section, version information blocks, icon groups and icon images, and the full set
// of resources that the installer carries.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "package/pe_resources.h"

namespace tarvik::package::testing {

// A program file (PE32 for Intel 80386, or PE32+ for x64 when pe32Plus) with one section
// ".rsrc" that holds the resources, grouped by type, then name, then language in the order
// first given, an import table naming the DLLs given and an export table of the names given.
std::string buildProgram(const std::vector<PeResource>& resources, bool pe32Plus = false,
                         const std::vector<std::string>& imports = {},
                         const std::vector<std::string>& exports = {});
// Where buildProgram puts the resource section, in the file and in memory.
inline constexpr uint32_t kResourceFilePosition = 0x200;
inline constexpr uint32_t kResourceAddress = 0x1000;
// Where the header checksum lies; buildProgram sets it to the one computed over the file.
inline constexpr size_t kChecksumPosition = 0x40 + 4 + 20 + 64;

// One block of version information: key, value and children, each aligned to 32 bits. For a
// text value (type 1) valueLength counts UTF-16 units, for binary values bytes.
struct VersionBlockParts {
  std::string key;
  uint16_t type = 1;
  std::string value;  // raw bytes
  std::vector<VersionBlockParts> children;
};
std::string buildVersionBlock(const VersionBlockParts& block);

// VS_FIXEDFILEINFO with the given versions, operating system and file type.
std::string fixedVersionInfo(uint32_t fileVersionHigh, uint32_t fileVersionLow,
                             uint32_t fileOs = 4, uint32_t fileType = 1);
// A text value with its terminating NUL, in UTF-16.
std::string textValue(std::string_view text);

struct VersionFields {
  uint32_t fileVersionHigh = 0x00010000;  // 1.0
  uint32_t fileVersionLow = 0;            // .0.0
  uint32_t fileOs = 4;
  uint32_t fileType = 1;
  std::string tableKey = "040904B0";
  std::vector<std::pair<std::string, std::string>> strings;
  std::vector<std::pair<uint16_t, uint16_t>> translations;
};
// The installer's version information: its version and strings from package/product.txt,
// translation 0x0409, 0x04B0.
VersionFields installerVersion();
std::string buildVersionInfo(const VersionFields& fields);

struct IconShape {
  int width = 32;
  int height = 32;
  int colours = 16;
  uint16_t bitCount = 4;
  uint16_t iconId = 30001;
};
// An icon image: bitmap header, palette, colour rows and mask rows.
std::string buildIconImage(const IconShape& fields);
// An icon group listing the given images, each with the byte count of its icon image.
std::string buildIconGroup(const std::vector<IconShape>& images);

inline constexpr std::string_view kManifest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"/>\n";

// Exactly the resources that the installer program carries.
std::vector<PeResource> installerResources();

PeResource resource(uint16_t type, uint16_t name, std::string data, uint16_t language = 0x0409);

}  // namespace tarvik::package::testing
