#pragma once
// The file system as a simulator sees it on Windows (platform/virtual_store.h): at a path
// below a virtualized folder, the copy in the user's VirtualStore where there is one, else the
// file itself; a folder lists the files of both, the copy's hiding the real file of its name.
// Discovery, the checks and the update all look through it, so that the installer reads the
// scenery.cfg and the markers that the simulator uses, checks every copy it will change, and
// leaves the simulator's view at the new version:
//
//  - resets and deletions act on every copy of a file;
//  - the files of an update are written to the folder itself, or to its copy in the store where
//    only that exists (as a virtualized install leaves it);
//  - once written, a file's copy in the store no longer hides it (revealNewFiles).
//
// Paths in and out are the paths the simulator uses; the file system behind it stores them.

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/virtual_store.h"

namespace tarvik {

class SimulatorView : public FileSystem {
 public:
  SimulatorView(FileSystem& files, VirtualStore store);

  std::optional<uint32_t> attributes(const std::string& path) override;
  bool fileExists(const std::string& path) override;
  uint64_t fileSize(const std::string& path) override;
  std::vector<std::string> filesIn(const std::string& folder) override;
  bool setNormalAttributes(const std::string& path) override;
  bool deleteFile(const std::string& path) override;
  std::string storedPath(const std::string& path) override;
  std::vector<std::string> readLines(const std::string& path) override;
  void flushFolder(const std::string& folder) override;
  std::vector<StoredFile> storedFiles(const std::string& path) override;
  std::string folderForNewFiles(const std::string& folder) override;
  void revealNewFiles(const std::vector<std::string>& files) override;

 private:
  // The copy of path in the store, where it exists.
  std::optional<std::string> existingCopy(const std::string& path);
  // What the simulator opens at path: the copy where there is one, else the path.
  std::string seen(const std::string& path);
  // Every place that holds something for path, the copy first; the path alone where nothing
  // does, so that acting on it raises the file system's own error.
  std::vector<std::string> placesOf(const std::string& path);
  bool isFolder(const std::string& path);

  FileSystem& files_;
  VirtualStore store_;
};

}  // namespace tarvik
