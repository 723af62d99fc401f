// A failure that reaches a window handler shows the run-time error report and ends the program.

#include "app/handlers.h"

#include <gtest/gtest.h>

#include "platform/runtime_error.h"
#include "tests/support/recording_window.h"

namespace tarvik {
namespace {

TEST(RunHandler, ReportsARuntimeErrorAndEndsTheProgram) {
  std::vector<std::string> events;
  testing::RecordingWindow window(events);
  runHandler(window, [] { throw RuntimeError(9, "Subscript out of range", "x.Unzip"); });
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Run-time error '9':\n\nSubscript out of range");
  EXPECT_EQ(window.messages[0].title, "tarvik_installer");
  EXPECT_TRUE(window.ended);
}

TEST(RunHandler, ReportsOtherFailuresTooAndLeavesSuccessAlone) {
  std::vector<std::string> events;
  testing::RecordingWindow window(events);
  runHandler(window, [] { throw std::logic_error("broken"); });
  EXPECT_EQ(window.messages.at(0).text, "Run-time error '51':\n\nInternal error: broken");

  testing::RecordingWindow quiet(events);
  bool ran = false;
  runHandler(quiet, [&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_TRUE(quiet.messages.empty());
  EXPECT_FALSE(quiet.ended);
}

}  // namespace
}  // namespace tarvik
