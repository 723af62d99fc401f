#pragma once
// The demo payload: 511 scenery and texture files of the add-on under the archive folders
// "scenery/" and "texture/", with the archive's two folder entries, in archive order. Names,
// sizes, times and marks come from a fixed seed, so every run plans the same payload.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "package/dos_date_time.h"

namespace tarvik::package {

enum class PayloadKind {
  Folder,
  SceneryBgl,  // ".bgl"
  Bitmap,      // ".bmp"
  AfTexture,   // ".0af" to ".9af", ".aaf", ".baf"
  Pattern,     // ".pat"
  Raw8,        // ".r8"
};

struct PayloadEntry {
  std::string name;  // archive name: "scenery/tarv_apron.bgl", or "scenery/" for a folder
  PayloadKind kind = PayloadKind::Folder;
  uint32_t size = 0;
  DosDateTime modified;
  bool markedAsText = false;
  uint64_t contentSeed = 0;

  bool isFolder() const { return kind == PayloadKind::Folder; }
  bool isTexture() const { return name.starts_with("texture/"); }
};

namespace payload {
inline constexpr std::string_view kSceneryFolder = "scenery/";
inline constexpr std::string_view kTextureFolder = "texture/";
inline constexpr size_t kSceneryFiles = 237;
inline constexpr size_t kTextureFiles = 274;
inline constexpr uint64_t kSceneryBytes = 47024475;
inline constexpr uint64_t kTextureBytes = 56275210;
inline constexpr uint32_t kSmallestFile = 148;
inline constexpr uint32_t kLargestFile = 1526557;
inline constexpr size_t kLongestName = 33;
inline constexpr size_t kNamesWithCapitals = 198;
inline constexpr size_t kTextMarkedTextures = 141;
// The add-on's marker file in its version 2.1 size: the update brings the new version's marker.
inline constexpr std::string_view kMarkerName = "qiro.bgl";
inline constexpr uint32_t kMarkerSize = 1040543;
inline constexpr DosDateTime kEarliest{1999, 2, 23, 18, 20, 38};
inline constexpr DosDateTime kLatest{2002, 1, 26, 9, 49, 14};

// Texture extensions other than ".bmp", with their counts.
struct ExtensionCount {
  std::string_view extension;
  size_t count;
};
inline constexpr size_t kBitmaps = 176;
inline constexpr std::array<ExtensionCount, 14> kOtherTextures{{
    {".0af", 11},
    {".1af", 11},
    {".2af", 10},
    {".3af", 12},
    {".4af", 10},
    {".5af", 10},
    {".6af", 10},
    {".7af", 10},
    {".8af", 5},
    {".9af", 5},
    {".aaf", 1},
    {".baf", 1},
    {".pat", 1},
    {".r8", 1},
}};

// Archive order, in groups: texture files, the texture folder, scenery files, the scenery
// folder, then texture, scenery and texture files added later.
inline constexpr size_t kLeadingTextures = 271;
inline constexpr size_t kLeadingScenery = 236;
}  // namespace payload

std::vector<PayloadEntry> payloadPlan();

}  // namespace tarvik::package
