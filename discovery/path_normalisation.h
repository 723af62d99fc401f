#pragma once
// Turning a parent-relative configuration line ("Local=..\..\Area") into an absolute folder:
// verwijderpuntpunt strips the leading "..\" groups and counts its own invocations,
// verwijderdirverwijzing cuts that many levels, less one, off the end of the simulator folder.

#include <cstdint>
#include <optional>
#include <string>

namespace tarvik {

// A line that begins exactly with this (letter case as shown) is parent-relative.
inline constexpr char kParentRelativePrefix[] = "Local=..\\";

// Rewrites pad in place to "Local=" followed by what follows all of its leading "..\" groups,
// and returns the same text. Every invocation, recursive ones included, adds 1 to
// parentLevelCount; each step keeps at most 255 characters of what follows the removed group.
// Raises error 6 (overflow) when the counter would pass 32767.
std::string verwijderpuntpunt(std::string& pad, int16_t& parentLevelCount);

// pad cut back to just after its (aantal - 1)-th "\" counted from the end, a separator at the
// very end not counting; pad unchanged when aantal is 1 or less. No value when pad has too few
// levels, that is, when the line climbs above the root of the drive.
std::optional<std::string> verwijderdirverwijzing(const std::string& pad, int16_t aantal);

}  // namespace tarvik
