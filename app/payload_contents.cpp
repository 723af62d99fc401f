#include "app/payload_contents.h"

#include "platform/runtime_error.h"
#include "platform/text_case.h"

namespace tarvik {

std::vector<PayloadFile> listPayload(cUnzip& pakket, const std::string& archive) {
  std::vector<PayloadFile> files;
  pakket.ZipFile(archive);
  if (archive.empty()) return files;
  try {
    pakket.Directory();
    for (int32_t i = 1; i <= pakket.FileCount(); ++i)
      files.push_back({pakket.FileDirectory(i), pakket.Filename(i), pakket.FileUnpackedSize(i)});
  } catch (const RuntimeError&) {
    files.clear();
  }
  return files;
}

std::string fileNameOf(const std::string& path) {
  return path.substr(path.find_last_of("\\/") + 1);
}

std::string foldedName(std::string name) { return lowerCaseText(name); }

}  // namespace tarvik
