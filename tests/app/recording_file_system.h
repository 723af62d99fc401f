#pragma once
// A file system decorator that logs every change it is asked to make ("normal <path>",
// "delete <path>" for deletions that succeeded, "link <path>" for an entry that a reset or a
// deletion left alone because it is a link, "flush <folder>") and every folder listing
// ("list <folder>").

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tarvik::testing {

class RecordingFileSystem : public FileSystem {
 public:
  RecordingFileSystem(FileSystem& inner, std::vector<std::string>& events)
      : inner_(inner), events_(events) {}

  std::optional<uint32_t> attributes(const std::string& path) override {
    return inner_.attributes(path);
  }
  bool fileExists(const std::string& path) override { return inner_.fileExists(path); }
  uint64_t fileSize(const std::string& path) override { return inner_.fileSize(path); }
  std::vector<std::string> filesIn(const std::string& folder) override {
    events_.push_back("list " + folder);
    return inner_.filesIn(folder);
  }
  bool setNormalAttributes(const std::string& path) override {
    events_.push_back("normal " + path);
    const bool reset = inner_.setNormalAttributes(path);
    if (!reset) events_.back() = "link " + path;
    return reset;
  }
  bool deleteFile(const std::string& path) override {
    const bool deleted = inner_.deleteFile(path);
    events_.push_back((deleted ? "delete " : "link ") + path);
    return deleted;
  }
  std::string storedPath(const std::string& path) override { return inner_.storedPath(path); }
  std::vector<std::string> readLines(const std::string& path) override {
    return inner_.readLines(path);
  }
  void flushFolder(const std::string& folder) override {
    events_.push_back("flush " + folder);
    inner_.flushFolder(folder);
  }
  std::vector<StoredFile> storedFiles(const std::string& path) override {
    return inner_.storedFiles(path);
  }
  std::string folderForNewFiles(const std::string& folder) override {
    return inner_.folderForNewFiles(folder);
  }
  void revealNewFiles(const std::vector<std::string>& files) override {
    inner_.revealNewFiles(files);
  }

 private:
  FileSystem& inner_;
  std::vector<std::string>& events_;
};

}  // namespace tarvik::testing
