#pragma once
// The library's file operations (unziplib/unzip_platform.h) on a disk in memory, for a test
// linked with memory_disk.cpp in place of the system's implementation. It records, in order,
// the steps that decide what a power cut leaves: a file put on the disk with its size, and a
// file named or moved over another. Paths are kept as the library gives them.

#include <cstddef>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace tarvik::testing {

struct DiskStep {
  enum Kind { kFlush, kName, kMove } kind;
  int file;          // the file's number, from its creation on
  std::string path;  // the name given or the file moved over; empty for a flush
  std::size_t size;  // the file's size at the step
};

struct MemoryDisk {
  bool unnamedFiles = true;  // files can be made without a name first, as on Linux
  std::set<std::string> folders;
  std::map<std::string, int> names;  // path -> file number
  std::vector<std::string> contents;  // by file number
  std::vector<DiskStep> steps;
  std::mutex mutex;  // the library's workers write files too

  void clear();
  int put(const std::string& path, std::string content);
  const std::string& at(const std::string& path) { return contents.at(names.at(path)); }
};

MemoryDisk& memoryDisk();

}  // namespace tarvik::testing
