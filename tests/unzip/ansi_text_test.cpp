// The binding's texts cross to the library in the system's ANSI code page (Windows only).

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/unzip/library_double.h"
#include "tests/unzip/recording_listener.h"
#include "unzip/unzip_component.h"

namespace tarvik::testing {
namespace {

using ::testing::ElementsAre;

// "é" in UTF-8 and in code page 1252.
const std::string kUtf8E = "\xC3\xA9";
const std::string kAnsiE = "\xE9";

class AnsiTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetACP() != 1252) GTEST_SKIP() << "the system's code page is " << GetACP();
    component.bind(listener);
  }

  LibraryDouble library;
  cUnzip component;
  RecordingListener listener;
};

TEST_F(AnsiTextTest, TextsToTheLibraryAreAnsi) {
  component.ZipFile("c:\\caf" + kUtf8E + "\\tarvik.zip");
  component.UnzipFolder("c:\\sc" + kUtf8E + "nes");
  component.Unzip();
  ASSERT_EQ(library.calls.size(), 1u);
  EXPECT_EQ(library.calls[0].zipFileName, "c:\\caf" + kAnsiE + "\\tarvik.zip");
  EXPECT_EQ(library.calls[0].extractFolder, "c:\\sc" + kAnsiE + "nes");
  // The record written back holds the program's texts again.
  EXPECT_EQ(component.options().lpszZipFN, "c:\\caf" + kUtf8E + "\\tarvik.zip");
}

TEST_F(AnsiTextTest, IncludeNamesAreAnsi) {
  library.script = [](const USERFUNCTIONS& callbacks, DCL&) {
    ListedMember member;
    member.name = "texture/" + kAnsiE + ".bmp";
    LibraryDouble::list(callbacks, member);
    member.name = "readme.txt";
    LibraryDouble::list(callbacks, member);
  };
  component.ZipFile("a.zip");
  component.Directory();
  library.script = nullptr;
  ASSERT_EQ(component.FileCount(), 2);
  EXPECT_EQ(component.Filename(1), kUtf8E + ".bmp");
  component.FileSelected(2, false);
  component.Unzip();
  EXPECT_EQ(library.calls.back().includeSlots[0], "texture/" + kAnsiE + ".bmp");
}

TEST_F(AnsiTextTest, TextsFromTheLibraryAreConverted) {
  listener.password = "p" + kUtf8E;
  std::array<char, 256> buffer{};
  library.script = [&](const USERFUNCTIONS& callbacks, DCL&) {
    LibraryDouble::print(callbacks, "  inflating: caf" + kAnsiE + "/x");
    LibraryDouble::replace(callbacks, "caf" + kAnsiE);
    LibraryDouble::service(callbacks, "caf" + kAnsiE, 4);
    LibraryDouble::password(callbacks, buffer.data(), 256);
  };
  component.ZipFile("a.zip");
  component.Unzip();
  ASSERT_EQ(listener.progress.size(), 1u);
  EXPECT_EQ(listener.progress[0].sMsg, "  inflating: caf" + kUtf8E + "\\x");
  EXPECT_THAT(listener.overwritePrompts, ElementsAre("caf" + kUtf8E));
  EXPECT_THAT(listener.cancelNames, ElementsAre("caf" + kUtf8E));
  EXPECT_EQ(std::string(buffer.data(), 3), "p" + kAnsiE + '\0');
}

}  // namespace
}  // namespace tarvik::testing
