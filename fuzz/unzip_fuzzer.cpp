// The libFuzzer entry point: every input is run through the library in the mode its lead bytes
// choose; a failed check aborts, so that libFuzzer keeps the input as a finding.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "fuzz/fuzz_case.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::filesystem::path work =
      std::filesystem::temp_directory_path() / ("tarvik-fuzz-" + std::to_string(getpid()));
  const auto problems = tarvik::fuzzing::runAndCheck({data, size}, work);
  if (problems.empty()) return 0;
  for (const std::string& problem : problems) std::fprintf(stderr, "finding: %s\n", problem.c_str());
  std::abort();
}
