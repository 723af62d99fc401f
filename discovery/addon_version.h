#pragma once
// The add-on's marker file and the table that tells the installed version from its exact size.

#include <cstdint>
#include <string>

namespace tarvik {

// Appended to a folder to form its marker path; 17 characters.
inline constexpr char kMarkerSuffix[] = "\\scenery\\qiro.bgl";

struct AddonVersion {
  std::string name;         // "1.0", "2.0", ... or "unknown"
  bool offered;             // whether a folder of this version becomes a candidate
  std::string displayText;  // 26 characters; empty for versions that are not offered
  bool preselected;         // whether the candidate starts ticked
};

// The version whose marker file has exactly this many bytes; "unknown" for any other size.
const AddonVersion& addonVersionForMarkerSize(uint64_t markerSize);

}  // namespace tarvik
