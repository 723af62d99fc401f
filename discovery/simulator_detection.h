#pragma once
// Finding the installed simulators through their registry entries and handing each one's
// installation folder, with its display label, to the scenery configuration scan.

#include <functional>
#include <string>

#include "platform/registry.h"

namespace tarvik {

using SceneryScanner =
    std::function<void(const std::string& simulatorFolder, const std::string& label)>;

// Labels of exactly 26 characters that open every display line of the simulator's entries.
inline constexpr char kFs2000Version61Label[] = "  Fs2000 (versie 6.1)     ";
inline constexpr char kFs2000Version70Label[] = "  Fs2000 (versie 7.0)     ";
inline constexpr char kFs2002Version80Label[] = "  Fs2002 (versie 8.0)     ";

// Scans Fs2000 (version 7.0, or 6.1 when 7.0 is absent), then Fs2002. Failures of a scan are
// not caught here.
void DetectSimulators(Registry& registry, const SceneryScanner& ScanSceneryConfig);

}  // namespace tarvik
