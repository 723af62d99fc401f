#pragma once
// A member's file, written in its target's folder without a name where the system allows it,
// else under a temporary name, put on the disk once complete, and only then put in the target's
// place in one step (written through on Windows). Until then the target stays as it was, even
// through a power cut; a file that is abandoned (a failure, a cancel, a killed process for an
// unnamed one) is removed.

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
  // Gives the written file its time and puts it on the disk; a file with a temporary name is
  // closed then. Raises SystemFailure.
  void complete(const LocalTime& time);
  // Closes the complete file and moves it over the target. Raises SystemFailure.
  void commit();

 private:
  // Gives an unnamed file a temporary name beside its target.
  void nameTemporarily();
  void closeFile();

  std::string target_;
  std::string temporary_;  // empty while the file has no name
  std::optional<OutputFile> file_;  // none once closed
  bool committed_ = false;
};

}  // namespace tarvik::unziplib
