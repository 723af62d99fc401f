#pragma once
// The DLLs a Windows program file imports, and the rule that keeps them to those that nothing
// beside the program can stand in for. Windows looks for every DLL that a program imports first
// in the program's own folder, unless it is one of its KnownDLLs, which it always maps from its
// system folder; a DLL that a web site puts beside a downloaded installer would otherwise run
// inside it.

#include <string>
#include <vector>

#include "package/pe_image.h"

namespace tarvik::package {

// The names in the import table and the delay-load import table, as written there. Throws
// PeFormatError when a table runs outside the file's sections.
std::vector<std::string> importedLibraries(const PeImage& image);

// One finding for each imported DLL that Windows does not always map from its system folder.
// Common controls (comctl32) pass only for a program whose manifest takes version 6 from the
// side-by-side store, as the installer's does.
std::vector<std::string> plantableImports(const PeImage& image, bool commonControlsFromManifest);

}  // namespace tarvik::package
