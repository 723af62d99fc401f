#pragma once
// A failure with the result code it gives the call and a message the user can read.

#include <stdexcept>
#include <string>

#include "unziplib/tarvik_unzip.h"

namespace tarvik::unziplib {

class UnzipError : public std::runtime_error {
 public:
  UnzipError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

inline UnzipError damagedArchive(const std::string& reason) {
  return UnzipError(TARVIK_UNZIP_DAMAGED, "the archive is damaged: " + reason);
}

inline UnzipError unsupported(const std::string& reason) {
  return UnzipError(TARVIK_UNZIP_UNSUPPORTED, reason + ", which this program cannot read");
}

}  // namespace tarvik::unziplib
