#pragma once
// A stand-in for the unzip library. Its Wiz_SingleEntryUnzip records what the binding handed it
// (the option record with copies of its texts, both 1024-slot name lists, the counts and the
// callback record) and then runs the test's script, which calls the callbacks as the library
// would. Its UzpVersion2 records the version record it is given and fills it as the test says.
// Creating a LibraryDouble installs it as the binding's library; destroying it puts the
// system's loader back.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "unziplib/tarvik_unzip.h"

namespace tarvik::testing {

// What one call of Wiz_SingleEntryUnzip received.
struct RecordedCall {
  int includeCount = 0;
  int excludeCount = 0;
  // The 1024 slots of each list: nullopt for a null slot, else the text up to its NUL.
  std::vector<std::optional<std::string>> includeSlots;
  std::vector<std::optional<std::string>> excludeSlots;
  DCL options{};  // the integer fields; the text pointers are not kept
  std::optional<std::string> zipFileName;
  std::optional<std::string> extractFolder;
  USERFUNCTIONS callbacks{};
};

// One member as the library reports it to the listing callback.
struct ListedMember {
  uint32_t uncompressedSize = 1000;
  uint32_t compressedSize = 400;
  uint32_t ratio = 60;
  uint32_t month = 1;
  uint32_t day = 26;
  uint32_t year = 2002;
  uint32_t hour = 9;
  uint32_t minute = 49;
  std::string name = "texture/a.bmp";
  std::string method = "Deflated";
  uint32_t crc = 0x12345678;
  uint32_t encryptionMark = ' ';
};

class LibraryDouble {
 public:
  LibraryDouble();
  ~LibraryDouble();
  LibraryDouble(const LibraryDouble&) = delete;
  LibraryDouble& operator=(const LibraryDouble&) = delete;

  // What the library does inside Wiz_SingleEntryUnzip, after recording its arguments.
  std::function<void(const USERFUNCTIONS& callbacks, DCL& options)> script;
  int result = 0;

  // Loading: when false the loader raises error 48 as the system's does for a missing file.
  bool present = true;
  bool hasSingleEntryUnzip = true;
  bool hasVersion = true;
  int loads = 0;
  std::vector<std::string> loadedNames;

  // UzpVersion2: the bytes put into the beta-level field (at most 10) and the interface version.
  std::string betaLevel;
  std::array<uint8_t, 4> interfaceVersion{};
  std::optional<UzpVer2> versionHandedOver;

  std::vector<RecordedCall> calls;

  // Scripts call the callbacks through these, as the library would.
  static int print(const USERFUNCTIONS& callbacks, const std::string& bytes);
  static int print(const USERFUNCTIONS& callbacks, const char* bytes, uint32_t length);
  static int replace(const USERFUNCTIONS& callbacks, const std::string& fileName);
  static int password(const USERFUNCTIONS& callbacks, char* buffer, int32_t size);
  static void list(const USERFUNCTIONS& callbacks, const ListedMember& member);
  static int service(const USERFUNCTIONS& callbacks, const std::string& name, uint32_t size);

  static LibraryDouble& active();
};

}  // namespace tarvik::testing
