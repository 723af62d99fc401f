#pragma once
// The one failure type of the program: a run-time error with a number, a description and
// a source. Handlers that have no trap of their own let it reach the run-time error report.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tarvik {

namespace error_number {
constexpr int32_t kOverflow = 6;
constexpr int32_t kSubscriptOutOfRange = 9;
constexpr int32_t kBadFileNameOrNumber = 52;
constexpr int32_t kFileNotFound = 53;
constexpr int32_t kPermissionDenied = 70;
constexpr int32_t kPathFileAccessError = 75;
constexpr int32_t kPathNotFound = 76;
constexpr int32_t kDllNotFound = 48;
constexpr int32_t kEntryPointNotFound = 453;
}  // namespace error_number

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int32_t number, std::string description, std::string source = {});

  int32_t number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::string& source() const { return source_; }

  // The same error raised again by another source.
  RuntimeError withSource(std::string source) const;

 private:
  int32_t number_;
  std::string description_;
  std::string source_;
};

RuntimeError subscriptOutOfRange();
RuntimeError arithmeticOverflow();
// A failed file operation: 53 file not found, 70 permission denied, 76 path not found, and
// 75 path/file access error for any other number.
RuntimeError fileError(int32_t number);

// The text of the run-time error report, e.g. "Run-time error '76':\n\nPath not found".
std::string runtimeErrorReport(const RuntimeError& error);

}  // namespace tarvik
