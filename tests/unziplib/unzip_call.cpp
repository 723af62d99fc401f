#include "tests/unziplib/unzip_call.h"

#include <algorithm>
#include <cstring>

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

UnzipCall* current = nullptr;

void noteCallback() {
  if (std::this_thread::get_id() != current->callingThread) ++current->callbacksOffThread;
}

int TARVIK_UNZIP_CALL onPrint(char* text, uint32_t length) {
  noteCallback();
  current->printed.emplace_back(text, length);
  current->events.push_back("print: " + current->printed.back());
  return 0;
}

int TARVIK_UNZIP_CALL onReplace(char* fileName) {
  noteCallback();
  current->replaceQueries.emplace_back(fileName);
  current->events.push_back("replace: " + current->replaceQueries.back());
  const std::size_t asked = current->replaceQueries.size();
  return asked <= current->replaceAnswers.size() ? current->replaceAnswers[asked - 1]
                                                 : TARVIK_REPLACE_NO;
}

int TARVIK_UNZIP_CALL onPassword(char* buffer, int32_t size, const char* prompt,
                                 const char* entryName) {
  noteCallback();
  const bool zeroed = std::all_of(buffer, buffer + size, [](char c) { return c == 0; });
  current->passwordQueries.push_back({size, prompt, entryName, zeroed});
  current->events.push_back(std::string("password: ") + entryName);
  const std::size_t asked = current->passwordQueries.size();
  if (asked > current->passwords.size()) return 1;
  // Like the installer's binding: the bytes only, no terminating NUL.
  const std::string& password = current->passwords[asked - 1];
  std::memcpy(buffer, password.data(), std::min<std::size_t>(password.size(), 254));
  return 0;
}

void TARVIK_UNZIP_CALL onList(uint32_t uncompressedSize, uint32_t compressedSize, uint32_t ratio,
                              uint32_t month, uint32_t day, uint32_t year, uint32_t hour,
                              uint32_t minute, uint32_t reserved, char* name, char* method,
                              uint32_t crc, uint32_t encryptionMark) {
  current->listed.push_back({uncompressedSize, compressedSize, ratio, month, day, year, hour,
                             minute, reserved, name, method, crc, encryptionMark});
}

int TARVIK_UNZIP_CALL onService(const char* name, uint32_t length) {
  noteCallback();
  current->serviced.emplace_back(name);
  current->servicedLengths.push_back(length);
  current->events.push_back("service: " + current->serviced.back());
  if (current->beforeEachMember) current->beforeEachMember(current->serviced.back());
  return !current->cancelBefore.empty() && current->cancelBefore == name ? 1 : 0;
}

std::vector<char*> pointersTo(std::vector<std::string>& names) {
  std::vector<char*> pointers;
  for (std::string& name : names) pointers.push_back(name.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

UnzipCall::UnzipCall(const fs::path& archive, const fs::path& folder)
    : archive_(archive.string()), folder_(folder.string()) {
  callbacks.print = onPrint;
  callbacks.replace = onReplace;
  callbacks.password = onPassword;
  callbacks.SendApplicationMessage = onList;
  callbacks.ServCallBk = onService;
}

int UnzipCall::run() {
  current = this;
  callingThread = std::this_thread::get_id();
  dcl.lpszZipFN = archive_.data();
  dcl.lpszExtractDir = folder_.data();
  auto includePointers = pointersTo(includes);
  auto excludePointers = pointersTo(excludes);
  const int result = Wiz_SingleEntryUnzip(
      static_cast<int>(includes.size()), includePointers.data(), static_cast<int>(excludes.size()),
      excludePointers.data(), &dcl, &callbacks);
  current = nullptr;
  return result;
}

bool UnzipCall::printedLine(const std::string& line) const {
  return std::find(printed.begin(), printed.end(), line) != printed.end();
}

bool UnzipCall::printedLineContaining(const std::string& text) const {
  return std::any_of(printed.begin(), printed.end(),
                     [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

fs::path testData(const std::string& name) { return testData() / name; }

std::vector<std::string> filesBelow(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files.push_back(entry.path().lexically_relative(folder).generic_string());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> foldersBelow(const fs::path& folder) {
  std::vector<std::string> folders;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_directory())
      folders.push_back(entry.path().lexically_relative(folder).generic_string());
  std::sort(folders.begin(), folders.end());
  return folders;
}

}  // namespace tarvik::testing
