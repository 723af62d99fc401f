#pragma once
// The installer program's resources, held against what the program must carry: icon group 1
// with the one 32 x 32, 16-colour image 30001, the version information with its string table
// for language 0x0409 and code page 1200 and its translation entry, the program manifest, and
// nothing else. The version information names the add-on, the update and its version as
// package/product.txt gives them.

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "package/pe_resources.h"
#include "package/product_info.h"

namespace tarvik::package {

namespace installer_resources {
inline constexpr uint16_t kIconGroupId = 1;
inline constexpr uint16_t kIconId = 30001;
inline constexpr uint16_t kVersionId = 1;
inline constexpr uint16_t kManifestId = 1;
inline constexpr int kIconSide = 32;
inline constexpr int kIconColours = 16;
inline constexpr uint16_t kIconBitCount = 4;
inline constexpr std::array<uint16_t, 4> kVersion{TARVIK_PRODUCT_VERSION_NUMBERS};
inline constexpr std::string_view kStringTable = "040904B0";
inline constexpr uint16_t kLanguage = 0x0409;
inline constexpr uint16_t kCodePage = 0x04B0;
inline constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kStrings{{
    {"CompanyName", TARVIK_PRODUCT_COMPANY},
    {"FileDescription", TARVIK_PRODUCT_DESCRIPTION},
    {"ProductName", TARVIK_PRODUCT_NAME},
    {"FileVersion", TARVIK_PRODUCT_VERSION},
    {"ProductVersion", TARVIK_PRODUCT_VERSION},
    {"InternalName", "tarvik_installer"},
    {"OriginalFilename", "tarvik_installer.exe"},
}};
}  // namespace installer_resources

// What is wrong with the resources, one finding a line; empty when they are exactly right.
std::vector<std::string> checkInstallerResources(const std::vector<PeResource>& resources);

}  // namespace tarvik::package
