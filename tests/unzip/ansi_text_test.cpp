// The binding's texts cross to the library in the system's ANSI code page (Windows only).

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "platform/program.h"
#include "platform/runtime_error.h"
#include "platform/win32/wide_text.h"
#include "tests/support/temp_folder.h"
#include "tests/unzip/library_double.h"
#include "tests/unzip/recording_listener.h"
#include "unzip/unzip_component.h"

namespace tarvik::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// "é" in UTF-8 and in code page 1252.
const std::string kUtf8E = "\xC3\xA9";
const std::string kAnsiE = "\xE9";
// "Дмитрий": code page 1252 has none of its letters.
const std::wstring kCyrillic = L"\u0414\u043C\u0438\u0442\u0440\u0438\u0439";

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

TEST_F(AnsiTextTest, APathTheCodePageCannotSpellGoesOverInItsShortFormOrNotAtAll) {
  TempFolder root;
  std::filesystem::create_directory(root.path() / kCyrillic);
  const std::string folder = narrow((root.path() / kCyrillic).wstring());
  const auto form = mUnzip::LibraryPathForm(folder);
  ASSERT_TRUE(form.has_value()) << "the system gives no short name for " << folder;
  EXPECT_NE(*form, folder);
  EXPECT_EQ(fromAnsi(toAnsi(*form)), *form);
  EXPECT_EQ(GetFileAttributesW(widen(*form).c_str()), DWORD{FILE_ATTRIBUTE_DIRECTORY});
  EXPECT_EQ(mUnzip::LibraryPathForm("c:\\caf" + kUtf8E), "c:\\caf" + kUtf8E);

  component.ZipFile("a.zip");
  component.UnzipFolder(folder);
  component.Unzip();
  EXPECT_EQ(library.calls.at(0).extractFolder, toAnsi(*form));
  EXPECT_EQ(component.options().lpszExtractDir, folder);

  // Where nothing exists there is no short name either: the library is not called.
  const std::string missing = folder + "\\" + narrow(kCyrillic);
  EXPECT_EQ(mUnzip::LibraryPathForm(missing), std::nullopt);
  component.UnzipFolder(missing);
  try {
    component.Unzip();
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), error_number::kBadFileNameOrNumber);
    EXPECT_THAT(error.description(), HasSubstr(missing + " cannot be handled"));
  }
  EXPECT_EQ(library.calls.size(), 1u);
}

}  // namespace
}  // namespace tarvik::testing
