#include "app/payload_contents.h"

#include <cctype>

namespace tarvik {

std::vector<PayloadFile> payloadFiles(const cUnzip& pakket) {
  std::vector<PayloadFile> files;
  for (int32_t i = 1; i <= pakket.FileCount(); ++i)
    files.push_back({pakket.FileDirectory(i), pakket.Filename(i), pakket.FileUnpackedSize(i)});
  return files;
}

std::string foldedName(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

}  // namespace tarvik
