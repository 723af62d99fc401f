#include "package/pe_exports.h"

#include <algorithm>
#include <cstdio>

#include "package/zip_layout.h"

namespace tarvik::package {
namespace {

// Fields of the export directory.
constexpr uint32_t kExportDirectorySize = 40;
constexpr size_t kNameCount = 24;
constexpr size_t kNameTable = 32;

// _Name@N or Name@N: the decorations of a __stdcall function's name.
bool decorates(std::string_view exported, std::string_view name) {
  const size_t at = exported.rfind('@');
  if (at == std::string_view::npos || at + 1 == exported.size() ||
      exported.find_first_not_of("0123456789", at + 1) != std::string_view::npos)
    return false;
  std::string_view undecorated = exported.substr(0, at);
  if (undecorated != name && undecorated.starts_with('_')) undecorated.remove_prefix(1);
  return undecorated == name;
}

}  // namespace

std::vector<std::string> exportedNames(const PeImage& image) {
  const PeDataDirectory table = image.dataDirectory(pe_directory::kExports);
  if (table.virtualAddress == 0) return {};
  const std::string_view directory = image.at(table.virtualAddress, kExportDirectorySize);
  const uint32_t count = getU32(directory, kNameCount);
  const uint32_t names = getU32(directory, kNameTable);
  if (count > 65536) throw PeFormatError("an export table of more than 65536 names");
  std::vector<std::string> exported;
  const std::string_view addresses = image.at(names, 4 * count);
  for (uint32_t i = 0; i < count; ++i) exported.push_back(image.textAt(getU32(addresses, 4 * i)));
  return exported;
}

std::vector<std::string> missingExports(const PeImage& image,
                                        const std::vector<std::string_view>& wanted) {
  const std::vector<std::string> exported = exportedNames(image);
  std::vector<std::string> findings;
  for (const std::string_view name : wanted) {
    if (std::find(exported.begin(), exported.end(), name) != exported.end()) continue;
    const auto decorated = std::find_if(exported.begin(), exported.end(),
                                        [name](const auto& e) { return decorates(e, name); });
    if (decorated != exported.end())
      findings.push_back("it exports " + std::string(name) + " only decorated, as " + *decorated +
                         ": the installer looks it up by its plain name");
    else
      findings.push_back("it does not export " + std::string(name) +
                         ", which the installer looks up");
  }
  return findings;
}

std::vector<std::string> notPe32X86(const PeImage& image) {
  if (image.isPe32X86()) return {};
  char machine[8];
  std::snprintf(machine, sizeof machine, "0x%04X", image.machine());
  return {std::string("it is a ") + (image.is64Bit() ? "PE32+" : "PE32") + " file for machine " +
          machine + ", not a 32-bit x86 one (PE32, Intel 386) that every Windows runs"};
}

}  // namespace tarvik::package
