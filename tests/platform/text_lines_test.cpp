#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace tarvik {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitTextLines, EndsLinesAtCrLfLoneCrAndLoneLf) {
  EXPECT_EQ(splitTextLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(splitTextLines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(splitTextLines("\r\r"), (Lines{"", ""}));
  EXPECT_EQ(splitTextLines(""), Lines{});
}

TEST(SplitTextLines, KeepsSpacesAndOtherControlBytes) {
  EXPECT_EQ(splitTextLines("  Local=x  \t\r\n"), (Lines{"  Local=x  \t"}));
  EXPECT_EQ(splitTextLines(std::string("a\0b", 3)), (Lines{std::string("a\0b", 3)}));
}

TEST(RuntimeErrorReport, ShowsNumberAndDescription) {
  const RuntimeError error = fileError(error_number::kPathNotFound).withSource("x.Unzip");
  EXPECT_EQ(runtimeErrorReport(error), "Run-time error '76':\n\nPath not found");
  EXPECT_EQ(error.source(), "x.Unzip");
  EXPECT_EQ(fileError(1234).number(), error_number::kPathFileAccessError);
}

}  // namespace
}  // namespace tarvik
