// The libFuzzer entry point for the fast inflater: any disagreement with zlib aborts, so that
// libFuzzer keeps the input as a finding.

#include <cstdio>
#include <cstdlib>

#include "fuzz/inflate_agreement.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string disagreement = tarvik::fuzzing::inflateDisagreementFor({data, size});
  if (disagreement.empty()) return 0;
  std::fprintf(stderr, "finding: %s\n", disagreement.c_str());
  std::abort();
}
