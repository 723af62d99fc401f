#pragma once
// Where decoded bytes go: a staged file, the print callback, or nowhere.

#include <cstdint>
#include <span>

namespace tarvik::unziplib {

class DataSink {
 public:
  virtual ~DataSink() = default;
  virtual void write(std::span<const uint8_t> bytes) = 0;
};

// A sink that keeps nothing: for checking a member's data without writing it.
class DiscardingSink : public DataSink {
 public:
  void write(std::span<const uint8_t>) override {}
};

}  // namespace tarvik::unziplib
