#pragma once
// The installer's file operations on a POSIX file system, for the native build and its tests.
// Windows-style paths map below a root folder: "C:\Games\FS2000" is <root>/c/Games/FS2000.
// Each name matches without regard to ASCII case, as on Windows. Read-only is the owner's write
// permission; POSIX has no hidden or system attribute. Symbolic links are the links that resets
// and deletions leave alone.

#include <filesystem>
#include <optional>

#include "platform/file_system.h"

namespace tarvik {

class PosixFileSystem : public FileSystem {
 public:
  explicit PosixFileSystem(std::filesystem::path root);

  std::optional<uint32_t> attributes(const std::string& path) override;
  bool fileExists(const std::string& path) override;
  uint64_t fileSize(const std::string& path) override;
  std::vector<std::string> filesIn(const std::string& folder) override;
  bool setNormalAttributes(const std::string& path) override;
  bool deleteFile(const std::string& path) override;
  std::string storedPath(const std::string& path) override;
  std::vector<std::string> readLines(const std::string& path) override;
  void flushFolder(const std::string& folder) override;

  // Where a Windows-style path lies on this file system, or nullopt when it does not exist.
  std::optional<std::filesystem::path> resolve(const std::string& path) const;

 private:
  std::filesystem::path existing(const std::string& path, int missingError) const;

  std::filesystem::path root_;
};

}  // namespace tarvik
