#include "package/pe_imports.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "package/zip_layout.h"

namespace tarvik::package {
namespace {

constexpr size_t kImports = 1;
constexpr size_t kDelayImports = 13;
constexpr uint32_t kImportDescriptorSize = 20;  // its name's address at 12
constexpr uint32_t kDelayDescriptorSize = 32;   // its name's address at 4

// KnownDLLs of every Windows from 7 on: always mapped from the system folder.
constexpr std::array<std::string_view, 22> kKnownDlls = {
    "advapi32.dll", "clbcatq.dll",  "comdlg32.dll", "gdi32.dll",    "imagehlp.dll",
    "imm32.dll",    "kernel32.dll", "msctf.dll",    "msvcrt.dll",   "normaliz.dll",
    "nsi.dll",      "ole32.dll",    "oleaut32.dll", "psapi.dll",    "rpcrt4.dll",
    "sechost.dll",  "setupapi.dll", "shell32.dll",  "shlwapi.dll",  "user32.dll",
    "wldap32.dll",  "ws2_32.dll"};

// The names of a table of descriptors that ends with one whose name address is 0.
void readNames(const PeImage& image, size_t directory, uint32_t descriptorSize,
               uint32_t nameOffset, std::vector<std::string>& names) {
  const PeDataDirectory table = image.dataDirectory(directory);
  if (table.virtualAddress == 0) return;
  for (uint32_t at = table.virtualAddress;; at += descriptorSize) {
    const std::string_view descriptor = image.at(at, descriptorSize);
    const uint32_t name = getU32(descriptor, nameOffset);
    if (name == 0) return;
    names.push_back(image.nameAt(name));
  }
}

}  // namespace

std::vector<std::string> importedLibraries(const PeImage& image) {
  std::vector<std::string> names;
  readNames(image, kImports, kImportDescriptorSize, 12, names);
  readNames(image, kDelayImports, kDelayDescriptorSize, 4, names);
  return names;
}

std::vector<std::string> plantableImports(const PeImage& image, bool commonControlsFromManifest) {
  std::vector<std::string> findings;
  for (const std::string& name : importedLibraries(image)) {
    const std::string lower = lowerCase(name);
    if (std::find(kKnownDlls.begin(), kKnownDlls.end(), lower) != kKnownDlls.end()) continue;
    if (lower == "comctl32.dll" && commonControlsFromManifest) continue;
    findings.push_back("it imports " + name +
                       ", which Windows looks for in the program's own folder first: load it at "
                       "run time from the system folder instead");
  }
  return findings;
}

}  // namespace tarvik::package
