#pragma once
// A fresh folder below the system's temporary folder, removed with everything in it when the
// object goes. Files are written byte for byte.

#include <cstdint>
#include <filesystem>
#include <string>

namespace tarvik::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes a file below the folder (relative path with '/'), creating its folders.
  std::filesystem::path write(const std::string& relative, const std::string& bytes) const;
  // Writes a file of exactly size bytes.
  std::filesystem::path writeSized(const std::string& relative, uint64_t size) const;
  std::filesystem::path makeFolder(const std::string& relative) const;

 private:
  std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& file);

}  // namespace tarvik::testing
