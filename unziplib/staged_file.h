#pragma once
// A member's file, written in its target's folder without a name where the system allows it,
// else under a temporary name, and put in the target's place in one step once complete. Until
// then the target stays as it was; a file that is abandoned (a failure, a cancel, a killed
// process for an unnamed one) is removed.

#include <optional>
#include <string>

#include "unziplib/entry_decoder.h"
#include "unziplib/unzip_platform.h"

namespace tarvik::unziplib {

class StagedFile : public DataSink {
 public:
  // Creates the temporary file beside target. Raises SystemFailure.
  explicit StagedFile(std::string target);
  ~StagedFile() override;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  void write(std::span<const uint8_t> bytes) override;
  // Gives the file its time, closes it and moves it over the target. Raises SystemFailure.
  void commit(const LocalTime& time);

 private:
  // Gives an unnamed file a temporary name beside its target.
  void nameTemporarily();

  std::string target_;
  std::string temporary_;  // empty while the file has no name
  std::optional<OutputFile> file_;
  bool committed_ = false;
};

}  // namespace tarvik::unziplib
