#include "app/update_application.h"

#include "app/obsolete_files.h"
#include "platform/runtime_error.h"

namespace tarvik {

void ClearFolderAttributes(FileSystem& files, const std::string& folder) {
  for (const std::string& file : files.filesIn(folder)) files.setNormalAttributes(file);
}

void DeleteObsoleteFiles(FileSystem& files, const std::string& folder) {
  for (const std::string_view name : kObsoleteFiles) {
    try {
      files.deleteFile(folder + std::string(name));
    } catch (const RuntimeError&) {
      // A missing or undeletable file is no reason to stop the update.
    }
  }
}

}  // namespace tarvik
