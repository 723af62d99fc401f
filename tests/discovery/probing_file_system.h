#pragma once
// A file system in front of another that records the marker tests asked of it and can be told
// to fail reading a file or its size, which running the tests as root cannot arrange on disk.

#include <set>
#include <string>
#include <vector>

#include "discovery/text_functions.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tarvik::testing {

class ProbingFileSystem : public FileSystem {
 public:
  explicit ProbingFileSystem(FileSystem& files) : files_(files) {}

  void failReading(const std::string& path) { unreadable_.insert(lowerCase(path)); }
  void failSize(const std::string& path) { unsizable_.insert(lowerCase(path)); }
  // The paths given to fileExists, in order.
  const std::vector<std::string>& existenceTests() const { return existenceTests_; }

  std::optional<uint32_t> attributes(const std::string& path) override {
    return files_.attributes(path);
  }
  bool fileExists(const std::string& path) override {
    existenceTests_.push_back(path);
    return files_.fileExists(path);
  }
  uint64_t fileSize(const std::string& path) override {
    if (unsizable_.count(lowerCase(path))) throw fileError(error_number::kPermissionDenied);
    return files_.fileSize(path);
  }
  std::vector<std::string> filesIn(const std::string& folder) override {
    return files_.filesIn(folder);
  }
  bool setNormalAttributes(const std::string& path) override {
    return files_.setNormalAttributes(path);
  }
  bool deleteFile(const std::string& path) override { return files_.deleteFile(path); }
  std::string storedPath(const std::string& path) override { return files_.storedPath(path); }
  std::vector<std::string> readLines(const std::string& path) override {
    if (unreadable_.count(lowerCase(path))) throw fileError(error_number::kPermissionDenied);
    return files_.readLines(path);
  }
  void flushFolder(const std::string& folder) override { files_.flushFolder(folder); }

 private:
  FileSystem& files_;
  std::set<std::string> unreadable_;
  std::set<std::string> unsizable_;
  std::vector<std::string> existenceTests_;
};

}  // namespace tarvik::testing
