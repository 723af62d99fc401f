#pragma once
// The library's file operations (unziplib/unzip_platform.h) on a disk in memory, for a test
// linked with memory_disk.cpp in place of the system's. Files are staged under temporary names,
// as on Windows. It records in order the steps that decide what a power cut leaves: a file put
// on the disk (with its size then), a file moved over another, and a folder's entries put on
// the disk.

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace tarvik::testing {

struct DiskStep {
  enum Kind { kFileFlush, kMove, kFolderFlush } kind;
  int file;          // the file's number, from its creation on (-1 for a folder)
  std::string path;  // the path moved over, or the folder flushed
  std::size_t size;  // the file's size at the step
};

struct MemoryDisk {
  std::set<std::string> folders;
  std::map<std::string, int> names;   // path -> file number
  std::vector<std::string> contents;  // by file number
  std::vector<DiskStep> steps;
  std::mutex mutex;  // the library's workers write files too

  int put(const std::string& path, std::string content);
};

MemoryDisk& memoryDisk();

}  // namespace tarvik::testing
