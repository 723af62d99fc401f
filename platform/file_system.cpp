#include "platform/file_system.h"

namespace tarvik {

std::vector<StoredFile> FileSystem::storedFiles(const std::string& path) {
  if (!fileExists(path)) return {};
  return {{path, fileSize(path)}};
}

}  // namespace tarvik
