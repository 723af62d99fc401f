#pragma once
// Loading a shared library by name and looking up its entry points.

#include <memory>
#include <string>

namespace tarvik {

class DynamicLibrary {
 public:
  virtual ~DynamicLibrary() = default;
  // The address of an exported entry point, or null when the library has none of that name.
  virtual void* entryPoint(const std::string& name) = 0;
};

class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;
  // Loads the library of the given base name ("tarvik_unzip" is tarvik_unzip.dll on Windows and
  // libtarvik_unzip.so elsewhere), searching the program's own folder first. Raises a
  // RuntimeError when it cannot be loaded.
  virtual std::unique_ptr<DynamicLibrary> load(const std::string& baseName) = 0;
};

// The loader of the platform the program runs on.
std::shared_ptr<LibraryLoader> systemLibraryLoader();

}  // namespace tarvik
