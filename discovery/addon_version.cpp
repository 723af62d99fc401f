#include "discovery/addon_version.h"

#include <array>
#include <utility>

namespace tarvik {
namespace {

const std::array<std::pair<uint64_t, AddonVersion>, 4> kKnownVersions{{
    {442751, {"1.0", false, "", false}},
    {460674, {"1.1", false, "", false}},
    {1071681, {"2.0", true, "Tarvik versie 2.0         ", true}},
    {1040543, {"2.1", true, "Tarvik versie 2.1         ", false}},
}};

const AddonVersion kUnknownVersion{"unknown", true, "Tarvik versie onbekend    ", false};

}  // namespace

const AddonVersion& addonVersionForMarkerSize(uint64_t markerSize) {
  for (const auto& [size, version] : kKnownVersions) {
    if (size == markerSize) return version;
  }
  return kUnknownVersion;
}

}  // namespace tarvik
