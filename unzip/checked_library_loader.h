#pragma once
// The unzip library as the installer loads it: only the file beside the program, by its full
// path, never one from the current folder or the system's search path, and only when its digest
// is the one the build recorded. The file is held from its check until it is loaded, so that it
// cannot be swapped in between.

#include <memory>
#include <string>

#include "platform/dynamic_library.h"
#include "platform/sha256.h"

namespace tarvik {

class CheckedLibraryLoader : public LibraryLoader {
 public:
  CheckedLibraryLoader(std::shared_ptr<LibraryFiles> files, const Sha256Digest& expected);

  // Raises error 48 naming the file, and telling the user to download both files again, when
  // it is missing, cannot be read, is not the one expected or cannot be loaded.
  std::unique_ptr<DynamicLibrary> load(const std::string& baseName) override;

 private:
  std::shared_ptr<LibraryFiles> files_;
  Sha256Digest expected_;
};

// The full path of a file of that name in the running program's own folder.
std::string pathBesideProgram(const std::string& fileName);

}  // namespace tarvik
