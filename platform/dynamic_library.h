#pragma once
// Shared libraries: opening a library file so that it stays as it is until it is loaded, loading
// it by its full path, and looking up its entry points.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvik {

class DynamicLibrary {
 public:
  virtual ~DynamicLibrary() = default;
  // The address of an exported entry point, or null when the library has none of that name.
  virtual void* entryPoint(const std::string& name) = 0;
};

// A library file held open from its check until it is loaded. On Windows others may read it
// meanwhile but neither write nor delete it, so what is loaded is what was checked; Linux has
// no such hold, and loads the very file held, by its descriptor.
class HeldLibraryFile {
 public:
  virtual ~HeldLibraryFile() = default;
  // Every byte of the file. Raises a RuntimeError when it cannot be read.
  virtual std::vector<uint8_t> contents() = 0;
  // Loads the library from this file; the libraries it needs come from the system's own folder.
  // Raises a RuntimeError when the system cannot load it.
  virtual std::unique_ptr<DynamicLibrary> load() = 0;
};

class LibraryFiles {
 public:
  virtual ~LibraryFiles() = default;
  // Holds the library file at the full path; null when there is no file there. Raises a
  // RuntimeError when it is there but cannot be opened.
  virtual std::unique_ptr<HeldLibraryFile> hold(const std::string& path) = 0;
};

// The library files of the system the program runs on.
std::shared_ptr<LibraryFiles> systemLibraryFiles();

// The file name of a library: "tarvik_unzip" is tarvik_unzip.dll on Windows and
// libtarvik_unzip.so elsewhere.
std::string libraryFileName(const std::string& baseName);

class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;
  // Loads the library of the given base name. Raises a RuntimeError when it cannot be loaded.
  virtual std::unique_ptr<DynamicLibrary> load(const std::string& baseName) = 0;
};

}  // namespace tarvik
