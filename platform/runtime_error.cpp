#include "platform/runtime_error.h"

#include <utility>

namespace tarvik {

RuntimeError::RuntimeError(int32_t number, std::string description, std::string source)
    : std::runtime_error(description),
      number_(number),
      description_(std::move(description)),
      source_(std::move(source)) {}

RuntimeError RuntimeError::withSource(std::string source) const {
  return RuntimeError(number_, description_, std::move(source));
}

RuntimeError subscriptOutOfRange() {
  return RuntimeError(error_number::kSubscriptOutOfRange, "Subscript out of range");
}

RuntimeError arithmeticOverflow() { return RuntimeError(error_number::kOverflow, "Overflow"); }

RuntimeError fileError(int32_t number) {
  switch (number) {
    case error_number::kFileNotFound:
      return RuntimeError(number, "File not found");
    case error_number::kPathNotFound:
      return RuntimeError(number, "Path not found");
    case error_number::kPermissionDenied:
      return RuntimeError(number, "Permission denied");
    default:
      return RuntimeError(error_number::kPathFileAccessError, "Path/File access error");
  }
}

std::string runtimeErrorReport(const RuntimeError& error) {
  return "Run-time error '" + std::to_string(error.number()) + "':\n\n" + error.description();
}

}  // namespace tarvik
