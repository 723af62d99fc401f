#pragma once
// Where an entry may be written: a path relative to the extraction folder, refused when it could
// reach anything outside that folder or a device.

#include <string>
#include <string_view>

namespace tarvik::unziplib {

struct PathRules {
  bool keepFolders = true;        // else only the name after the last '/' is used
  bool spaceToUnderscore = false;
};

struct OutputPath {
  std::string path;    // parts joined with '/'; empty for a folder entry that is dropped
  std::string refusal; // why the name is refused; empty when it is safe
  bool refused() const { return !refusal.empty(); }
};

// The output path of an entry name (UTF-8, '/' between parts, a trailing '/' for a folder).
// Refused: absolute names, drive letters and other colons, control characters, ".." parts and
// parts of nothing but dots and spaces, and device names.
OutputPath outputPathOf(std::string_view name, const PathRules& rules);

// True for the names Windows keeps for devices (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$,
// CONOUT$), in any case, with or without an extension.
bool isDeviceName(std::string_view part);

}  // namespace tarvik::unziplib
