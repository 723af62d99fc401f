#include "unziplib/reporter.h"

#include "unziplib/unzip_platform.h"

namespace tarvik::unziplib {

Reporter::Reporter(TarvikPrintCallback print, int32_t level) : print_(print), level_(level) {}

void Reporter::print(std::string_view utf8) {
  reasonIsLast_ = false;
  if (!print_) return;
  std::string text = toCallerText(utf8);
  print_(text.data(), static_cast<uint32_t>(text.size()));
}

void Reporter::member(std::string_view line) {
  if (level_ <= 0) print(line);
}

void Reporter::summary(std::string_view line) {
  if (level_ <= 1) print(line);
}

void Reporter::output(std::string_view line) { print(line); }

void Reporter::raw(std::string_view bytes) {
  reasonIsLast_ = false;
  if (print_ && !bytes.empty()) {
    std::string copy(bytes);
    print_(copy.data(), static_cast<uint32_t>(copy.size()));
  }
}

void Reporter::failure(int code, std::string_view message) {
  ++failures_;
  const std::string line = "error: " + std::string(message);
  print(line);
  if (result_ == TARVIK_UNZIP_OK || (result_ == TARVIK_UNZIP_WARNING && code != result_)) {
    result_ = code;
    reason_ = line;
  }
  reasonIsLast_ = failures_ == 1;
}

void Reporter::stopped(int code, std::string_view message) {
  ++failures_;
  result_ = code;
  reason_ = "error: " + std::string(message);
  print(reason_);
  reasonIsLast_ = true;
}

int Reporter::finish() {
  if (result_ != TARVIK_UNZIP_OK && !reasonIsLast_) {
    if (failures_ > 1)
      print("error: " + std::to_string(failures_) + " members failed; " + reason_.substr(7));
    else
      print(reason_);
  }
  return result_;
}

}  // namespace tarvik::unziplib
