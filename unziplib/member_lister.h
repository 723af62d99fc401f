#pragma once
// Listing the chosen members: one call of the listing callback per member (folders included),
// an optional detailed line per member, and the totals in the callback record.

#include <cstdint>

#include "unziplib/reporter.h"
#include "unziplib/run_request.h"
#include "unziplib/tarvik_unzip.h"
#include "unziplib/zip_format.h"

namespace tarvik::unziplib {

// Space saved in percent, 100 - 100 * compressed / uncompressed, rounded; 0 for an empty
// member or one that grew.
uint32_t ratioOf(uint64_t compressed, uint64_t uncompressed);
// The short name of a compression method ("Stored", "Deflate"; "Unk:N" for one without).
std::string methodName(uint16_t method);

class MemberLister {
 public:
  MemberLister(const RunRequest& request, USERFUNCTIONS& callbacks, Reporter& reporter);

  void list(const ZipEntry& entry);
  // Fills the totals of the callback record and prints the summary.
  void summarize();

 private:
  const RunRequest& request_;
  USERFUNCTIONS& callbacks_;
  Reporter& reporter_;
  uint64_t compressed_ = 0;
  uint64_t uncompressed_ = 0;
  uint32_t members_ = 0;
  bool headerPrinted_ = false;
};

}  // namespace tarvik::unziplib
