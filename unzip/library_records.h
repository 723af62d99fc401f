#pragma once
// The records the binding hands the unzip library for one call, as 8-bit copies in the system's
// ANSI code page. They own their texts and live for the duration of that call.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "unzip/unzip_binding.h"
#include "unziplib/tarvik_unzip.h"

namespace tarvik::mUnzip {

// A name list of 1024 text slots: slots 0 to n-1 hold the n names in the order given, slot n
// the empty text, every later slot is null. It therefore carries at most 1023 names.
class UnzipNameList {
 public:
  static constexpr int32_t kSlots = 1024;

  // Takes names[0] to names[count-1]; a count of 0 or less writes only the empty slot 0.
  // Raises error 9 when count is above 1023 or names holds fewer than count names.
  UnzipNameList(int32_t count, const std::vector<std::string>& names);
  UnzipNameList(const UnzipNameList&) = delete;
  UnzipNameList& operator=(const UnzipNameList&) = delete;

  // The 1024 slot pointers as the library takes them.
  char** slots() { return pointers_.data(); }

 private:
  std::vector<std::string> texts_;  // the 8-bit copies of the written slots
  std::array<char*, kSlots> pointers_{};
};

// The library's option record DCL, copied from the component's UnzipOptions. The two paths go
// over in a form that the ANSI code page can spell (platform/ansi_path.h); a path without one
// raises error 52 before the library is called.
class LibraryOptions {
 public:
  explicit LibraryOptions(const UnzipOptions& options);
  LibraryOptions(const LibraryOptions&) = delete;
  LibraryOptions& operator=(const LibraryOptions&) = delete;

  DCL* record() { return &record_; }

  // Writes what the library left in the record back into the component's options, field by
  // field. A text whose pointer the library kept is read back whole, as handed over: the
  // program's own text again while the library left it unchanged.
  void writeBack(UnzipOptions& options) const;

 private:
  struct HandedPath {
    HandedPath(std::string path, std::string ansi);
    std::string readBack(const char* pointer) const;

    std::string original;    // the program's text
    std::string asHanded;    // its ANSI form as handed over
    std::string handedOver;  // the library's copy, which it may change
  };

  HandedPath zipFileName_;
  HandedPath extractFolder_;
  DCL record_{};
};

}  // namespace tarvik::mUnzip
