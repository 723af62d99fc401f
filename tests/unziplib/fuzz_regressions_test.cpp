// Every input that once made the fuzz target fail (fuzz/regressions, copied beside the test
// program) run again through the same checks: as it was found, and in every other mode.

#include <fstream>
#include <iterator>

#include "fuzz/fuzz_case.h"
#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> problemsOf(const std::string& input, const fs::path& work) {
  return fuzzing::runAndCheck(
      std::span(reinterpret_cast<const uint8_t*>(input.data()), input.size()), work);
}

TEST_F(UnzipLibraryTest, PassesEveryInputThatOnceFoundAFault) {
  const fs::path folder = testData().parent_path() / "fuzz_regressions";
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  ASSERT_FALSE(inputs.empty()) << "no inputs in " << folder;
  for (const fs::path& file : inputs) {
    const std::string input = contentOf(file);
    ASSERT_GE(input.size(), 2u) << file;
    EXPECT_EQ(problemsOf(input, temp.path() / "work"), std::vector<std::string>{}) << file;
    for (const fuzzing::Mode mode : fuzzing::kModes)
      EXPECT_EQ(problemsOf(fuzzing::leadFor(mode) + input.substr(2), temp.path() / "work"),
                std::vector<std::string>{})
          << file << " in mode " << static_cast<int>(mode);
  }
}

}  // namespace
}  // namespace tarvik::testing
