#pragma once
// Loading Windows' own DLLs so that no file beside the program can stand in for one. A program
// started from a Downloads folder finds there whatever a web site put there; Windows looks in the
// program's folder first for every DLL loaded by name that is not one of its KnownDLLs. So the
// program restricts that search before anything else, imports only DLLs that Windows always
// maps from its system folder, and loads every other system DLL here, from the system folder.

#include <windows.h>

#include <span>
#include <string>

namespace tarvik {

// Restricts the search for DLLs loaded by name to the system folder, for this process and every
// DLL in it (SetDefaultDllDirectories). Where Windows lacks that (Vista, and 7 without its update
// KB2533623) it takes the current folder out of the search and loads Windows' DLLs that its own
// components load by name later (windowsDllsLoadedByNameLater) from the system folder at once:
// the program's folder, still searched first, is then never searched for them. Called first
// thing, before any window and any DLL loaded by name.
void restrictLibrarySearchToSystemFolder();

// Those DLLs, loaded now from the system folder by their full paths, for the life of the
// process: a later load by name finds the module already loaded.
void loadWindowsDllsFromSystemFolder();
std::span<const wchar_t* const> windowsDllsLoadedByNameLater();

// A DLL of Windows, loaded from the system folder and freed when the object goes. valid() is
// false when the system has no such DLL; its features then do without.
class SystemLibrary {
 public:
  explicit SystemLibrary(const wchar_t* fileName);
  ~SystemLibrary();
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  bool valid() const { return module_ != nullptr; }
  // The entry point of that name as a function pointer of type Function; null when the DLL or
  // the entry point is missing.
  template <typename Function>
  Function entry(const char* name) const {
    return module_ ? reinterpret_cast<Function>(reinterpret_cast<void*>(
                         GetProcAddress(module_, name)))
                   : nullptr;
  }

 private:
  HMODULE module_;
};

// Loads a DLL by its full path; the DLLs it imports come from the system folder only.
HMODULE loadLibraryByFullPath(const std::wstring& path);

}  // namespace tarvik
