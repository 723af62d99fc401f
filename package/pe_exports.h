#pragma once
// The names a Windows library exports, and the rule that holds the delivered unzip library to
// the names its caller looks up. On 32-bit Windows a linker names a __stdcall function
// _Name@N (N the bytes of its arguments) unless told otherwise; GetProcAddress("Name") then
// finds nothing.

#include <string>
#include <string_view>
#include <vector>

#include "package/pe_image.h"

namespace tarvik::package {

// The names in the export table, as written there. Throws PeFormatError when the table runs
// outside the file's sections.
std::vector<std::string> exportedNames(const PeImage& image);

// One finding for each name of `wanted` that the library does not export as it is spelled
// there, telling a decorated export of it apart from a missing one.
std::vector<std::string> missingExports(const PeImage& image,
                                        const std::vector<std::string_view>& wanted);

// One finding when the file is not a 32-bit x86 program file (PE32, Intel 386), which 32-bit
// Windows would refuse to start or to load.
std::vector<std::string> notPe32X86(const PeImage& image);

}  // namespace tarvik::package
