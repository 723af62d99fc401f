#pragma once
// Calling the unzip library straight through its header, with C callbacks that record what the
// library hands them, and answers that each test chooses.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "unziplib/tarvik_unzip.h"

namespace tarvik::testing {

struct ListedMember {
  uint32_t uncompressedSize;
  uint32_t compressedSize;
  uint32_t ratio;
  uint32_t month, day, year, hour, minute;
  uint32_t reserved;
  std::string name;
  std::string method;
  uint32_t crc;
  uint32_t encryptionMark;
};

struct PasswordQuery {
  int32_t size;
  std::string prompt;
  std::string entryName;
  bool bufferWasZeroed;
};

// One call of Wiz_SingleEntryUnzip. Set the switches in dcl, the names and the answers, then
// run(); afterwards the recorded fields hold what the library reported.
class UnzipCall {
 public:
  UnzipCall(const std::filesystem::path& archive, const std::filesystem::path& folder);

  DCL dcl{};
  USERFUNCTIONS callbacks{};
  std::vector<std::string> includes;
  std::vector<std::string> excludes;

  // Answers: the replace callback's answers in turn (then TARVIK_REPLACE_NO); the passwords in
  // turn (then "no password"); the member before which the service callback stops the run.
  std::vector<int> replaceAnswers;
  std::vector<std::string> passwords;
  std::string cancelBefore;
  // Called from the service callback with the member's name, before the answer is given.
  std::function<void(const std::string& name)> beforeEachMember;

  int run();

  // Recorded.
  std::vector<std::string> printed;
  std::vector<ListedMember> listed;
  std::vector<std::string> replaceQueries;
  std::vector<PasswordQuery> passwordQueries;
  std::vector<std::string> serviced;
  std::vector<uint32_t> servicedLengths;
  // Every callback in the order they came: "print: ", "replace: ", "password: ", "service: ",
  // each followed by its text or name.
  std::vector<std::string> events;
  // The thread that called the library, and the callbacks that came on another one.
  std::thread::id callingThread;
  int callbacksOffThread = 0;

  std::string lastLine() const { return printed.empty() ? std::string() : printed.back(); }
  bool printedLine(const std::string& line) const;
  bool printedLineContaining(const std::string& text) const;

 private:
  std::string archive_;
  std::string folder_;
};

// The path as the test's own file calls must give it to reach past 260 characters: on Windows
// the absolute path in its long form ("\\?\C:\..."), elsewhere the path itself.
std::filesystem::path longForm(const std::filesystem::path& path);
// Removes a folder and everything below it, however long its paths.
void removeTree(const std::filesystem::path& folder);
// True when the system refuses to make a folder whose path passes 260 characters in its usual
// form, below folder.
bool systemLimitsPathLength(const std::filesystem::path& folder);

// The folder of test archives that the build makes beside the test program.
std::filesystem::path testData();
std::filesystem::path testData(const std::string& name);

// Every regular file below a folder, as relative paths with '/', sorted.
std::vector<std::string> filesBelow(const std::filesystem::path& folder);
std::vector<std::string> foldersBelow(const std::filesystem::path& folder);

}  // namespace tarvik::testing
