#include "package/pe_exports.h"

#include <algorithm>
#include <array>

#include "package/zip_layout.h"
#include "unziplib/tarvik_unzip.h"

namespace tarvik::package {
namespace {

constexpr uint32_t kExportDirectorySize = 40;  // the count of names at 24, their table at 32

}  // namespace

std::vector<std::string> exportedNames(const PeImage& image) {
  const PeDataDirectory table = image.dataDirectory(pe_directory::kExports);
  if (table.virtualAddress == 0) return {};
  const std::string_view directory = image.at(table.virtualAddress, kExportDirectorySize);
  const uint32_t count = getU32(directory, 24);
  const uint32_t names = getU32(directory, 32);
  std::vector<std::string> exported;
  for (uint32_t i = 0; i < count; ++i)
    exported.push_back(image.nameAt(getU32(image.at(names + 4 * i, 4), 0)));
  return exported;
}

std::vector<std::string> notFor32BitWindows(const PeImage& image) {
  if (!image.is64Bit() && image.machine() == pe_machine::kI386) return {};
  return {"it is not a 32-bit Windows file (PE32, Intel 80386), so 32-bit Windows cannot start "
          "it: build it with the i686 toolchain"};
}

std::vector<std::string> missingEntryPoints(const PeImage& library) {
  const std::vector<std::string> exported = exportedNames(library);
  std::vector<std::string> findings;
  for (const char* name : {TARVIK_UNZIP_SINGLE_ENTRY_NAME, TARVIK_UNZIP_VERSION_NAME}) {
    if (std::find(exported.begin(), exported.end(), name) != exported.end()) continue;
    const std::string_view plain = name;
    // "Name@bytes", or "_Name..." as some compilers decorate it
    const auto decorated = std::find_if(exported.begin(), exported.end(), [&](const auto& e) {
      const std::string_view shown = e;
      return (shown.starts_with(plain) && shown.substr(plain.size()).starts_with('@')) ||
             (shown.starts_with('_') && shown.substr(1).starts_with(plain));
    });
    const std::string only =
        decorated == exported.end() ? "" : ", only " + *decorated + " (a decorated name)";
    findings.push_back("it does not export " + std::string(name) + only);
  }
  return findings;
}

}  // namespace tarvik::package
