#pragma once
// The names under which a Windows library exports its functions, and what the installer's
// files must be to run on every Windows the simulators run on.

#include <string>
#include <vector>

#include "package/pe_image.h"

namespace tarvik::package {

// The names in the export table, as written there. Throws PeFormatError when the table runs
// outside the file's sections.
std::vector<std::string> exportedNames(const PeImage& image);

// One finding when the file is not a 32-bit Windows file (PE32, Intel 80386): only such a file
// starts on 32-bit Windows as well as on 64-bit Windows (through WoW64).
std::vector<std::string> notFor32BitWindows(const PeImage& image);

// One finding for each entry point of the unzip library that the installer looks up by its
// plain name and that the library does not export under it (a 32-bit __stdcall function that
// the linker exported as "Name@bytes", say).
std::vector<std::string> missingEntryPoints(const PeImage& library);

}  // namespace tarvik::package
