// The binding against the library double: what RunUnzipLibrary hands the library, how it loads
// it and raises its failures, and what each callback makes of the library's arguments.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/program.h"
#include "platform/runtime_error.h"
#include "tests/unzip/library_double.h"
#include "tests/unzip/recording_listener.h"
#include "unzip/ole_date.h"
#include "unzip/unzip_binding.h"
#include "unzip/unzip_component.h"

namespace tarvik::testing {
namespace {

using ::testing::ElementsAre;

// A callback target that only counts what reaches it.
class CountingTarget : public UnzipCallbackTarget {
 public:
  int entries = 0;
  void AddListedEntry(const std::string&, const std::string&, double, int32_t, int32_t, bool,
                      int32_t, const std::string&, uint32_t) override {
    ++entries;
  }
  void RaiseOverwritePrompt(const std::string&, int32_t&) override {}
  void RaiseProgress(const std::string&) override {}
  void RaiseCancel(const std::string&, bool&) override {}
  void RaisePasswordRequest(std::string&, bool&) override {}
};

std::vector<std::string> numberedNames(int count) {
  std::vector<std::string> names;
  for (int i = 1; i <= count; ++i) names.push_back("scenery/file" + std::to_string(i) + ".bgl");
  return names;
}

std::string unzipSource() { return executableBaseName() + ".Unzip"; }

class BindingTest : public ::testing::Test {
 protected:
  int32_t run(int32_t includeCount, const std::vector<std::string>& includeNames,
              int32_t excludeCount = 0, const std::vector<std::string>& excludeNames = {}) {
    return mUnzip::RunUnzipLibrary(target, options, includeCount, includeNames, excludeCount,
                                   excludeNames);
  }

  // Runs the component's Unzip with the script and returns its events.
  void unzipWith(std::function<void(const USERFUNCTIONS&, DCL&)> script) {
    library.script = std::move(script);
    component.ZipFile("payload.zip");
    component.Unzip();
  }

  LibraryDouble library;
  CountingTarget target;
  UnzipOptions options;
  cUnzip component;
  RecordingListener listener;

  void SetUp() override { component.bind(listener); }
};

// --- the records handed to the library ---

TEST_F(BindingTest, IncludeCountZeroHandsOverTheEmptyTextInSlotZeroOnly) {
  run(0, {});
  ASSERT_EQ(library.calls.size(), 1u);
  const RecordedCall& call = library.calls[0];
  EXPECT_EQ(call.includeCount, 0);
  EXPECT_EQ(call.excludeCount, 0);
  ASSERT_EQ(call.includeSlots.size(), 1024u);
  EXPECT_EQ(call.includeSlots[0], std::string());
  EXPECT_EQ(call.includeSlots[1], std::nullopt);
  EXPECT_EQ(call.includeSlots[1023], std::nullopt);
  EXPECT_EQ(call.excludeSlots[0], std::string());
  EXPECT_EQ(call.excludeSlots[1], std::nullopt);
}

TEST_F(BindingTest, NamesFillTheSlotsInOrderFollowedByTheEmptyText) {
  run(2, {"texture/a.bmp", "readme.txt"}, 1, {"scenery/x.bgl"});
  const RecordedCall& call = library.calls.at(0);
  EXPECT_EQ(call.includeCount, 2);
  EXPECT_EQ(call.includeSlots[0], "texture/a.bmp");
  EXPECT_EQ(call.includeSlots[1], "readme.txt");
  EXPECT_EQ(call.includeSlots[2], std::string());
  EXPECT_EQ(call.includeSlots[3], std::nullopt);
  EXPECT_EQ(call.excludeCount, 1);
  EXPECT_EQ(call.excludeSlots[0], "scenery/x.bgl");
  EXPECT_EQ(call.excludeSlots[1], std::string());
  EXPECT_EQ(call.excludeSlots[2], std::nullopt);
}

TEST_F(BindingTest, ANegativeCountWritesOnlySlotZeroAndIsHandedOverUnchanged) {
  run(-3, {"ignored"});
  const RecordedCall& call = library.calls.at(0);
  EXPECT_EQ(call.includeCount, -3);
  EXPECT_EQ(call.includeSlots[0], std::string());
  EXPECT_EQ(call.includeSlots[1], std::nullopt);
}

TEST_F(BindingTest, TakesOnlyAsManyNamesAsCounted) {
  run(1, {"one", "two"});
  EXPECT_EQ(library.calls.at(0).includeSlots[0], "one");
  EXPECT_EQ(library.calls.at(0).includeSlots[1], std::string());
}

TEST_F(BindingTest, Accepts1023Names) {
  run(1023, numberedNames(1023));
  const RecordedCall& call = library.calls.at(0);
  EXPECT_EQ(call.includeCount, 1023);
  EXPECT_EQ(call.includeSlots[0], "scenery/file1.bgl");
  EXPECT_EQ(call.includeSlots[1022], "scenery/file1023.bgl");
  EXPECT_EQ(call.includeSlots[1023], std::string());
}

TEST_F(BindingTest, Refuses1024NamesBeforeTheLibraryIsCalled) {
  for (const bool inExcludeList : {false, true}) {
    try {
      if (inExcludeList)
        run(0, {}, 1024, numberedNames(1024));
      else
        run(1024, numberedNames(1024));
      FAIL() << "1024 names were accepted";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number(), 9);
      EXPECT_EQ(error.description(), "Subscript out of range");
      EXPECT_EQ(error.source(), unzipSource());
    }
    EXPECT_TRUE(library.calls.empty());
    EXPECT_EQ(library.loads, 0);
    EXPECT_EQ(mUnzip::CurrentUnzip(), nullptr);
  }
}

TEST_F(BindingTest, FewerNamesThanCountedIsSubscriptOutOfRange) {
  try {
    run(3, {"one", "two"});
    FAIL() << "a count past the names was accepted";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 9);
    EXPECT_EQ(error.source(), unzipSource());
  }
  EXPECT_TRUE(library.calls.empty());
}

TEST_F(BindingTest, HandsTheOptionsOverFieldByField) {
  options.ExtractOnlyNewer = 1;
  options.SpaceToUnderscore = 2;
  options.PromptToOverwrite = 3;
  options.fQuiet = 4;
  options.ncflag = 5;
  options.ntflag = 6;
  options.nvflag = 7;
  options.nfflag = 8;
  options.nzflag = 9;
  options.ndflag = 10;
  options.noflag = 11;
  options.naflag = 12;
  options.nZIflag = 13;
  options.C_flag = 14;
  options.fPrivilege = 15;
  options.lpszZipFN = "tarvik_installer.exe";
  options.lpszExtractDir = "c:\\fs2002\\tarvik";
  run(0, {});
  const RecordedCall& call = library.calls.at(0);
  const int32_t handed[] = {
      call.options.ExtractOnlyNewer, call.options.SpaceToUnderscore,
      call.options.PromptToOverwrite, call.options.fQuiet, call.options.ncflag,
      call.options.ntflag, call.options.nvflag, call.options.nfflag, call.options.nzflag,
      call.options.ndflag, call.options.noflag, call.options.naflag, call.options.nZIflag,
      call.options.C_flag, call.options.fPrivilege};
  for (int field = 0; field < 15; ++field) EXPECT_EQ(handed[field], field + 1) << field;
  EXPECT_EQ(call.zipFileName, "tarvik_installer.exe");
  EXPECT_EQ(call.extractFolder, "c:\\fs2002\\tarvik");
}

TEST_F(BindingTest, WritesTheLibrarysRecordBack) {
  static char elsewhere[] = "d:\\elsewhere";
  options.lpszZipFN = "a.zip";
  options.lpszExtractDir = "c:\\target";
  library.script = [](const USERFUNCTIONS&, DCL& dcl) {
    dcl.ntflag = 7;
    dcl.fQuiet = -2;
    dcl.fPrivilege = 1;
    dcl.lpszExtractDir = elsewhere;
  };
  run(0, {});
  EXPECT_EQ(options.ntflag, 7);
  EXPECT_EQ(options.fQuiet, -2);
  EXPECT_EQ(options.fPrivilege, 1);
  EXPECT_EQ(options.lpszZipFN, "a.zip");
  EXPECT_EQ(options.lpszExtractDir, "d:\\elsewhere");
}

TEST_F(BindingTest, FillsTheCallbackRecordInItsSlots) {
  run(0, {});
  const USERFUNCTIONS& callbacks = library.calls.at(0).callbacks;
  EXPECT_NE(callbacks.print, nullptr);
  EXPECT_EQ(callbacks.sound, nullptr);
  EXPECT_NE(callbacks.replace, nullptr);
  EXPECT_NE(callbacks.password, nullptr);
  EXPECT_NE(callbacks.SendApplicationMessage, nullptr);
  EXPECT_NE(callbacks.ServCallBk, nullptr);
  EXPECT_EQ(callbacks.TotalSizeComp, 0u);
  EXPECT_EQ(callbacks.TotalSize, 0u);
  EXPECT_EQ(callbacks.CompFactor, 0u);
  EXPECT_EQ(callbacks.NumMembers, 0u);
  EXPECT_EQ(callbacks.cchComment, 0u);
}

TEST_F(BindingTest, ReturnsTheLibrarysResultUnchanged) {
  for (const int result : {0, 1, 11, 82, -1}) {
    library.result = result;
    EXPECT_EQ(run(0, {}), result);
  }
  EXPECT_EQ(library.calls.size(), 5u);
}

// --- loading the library ---

TEST_F(BindingTest, LoadsTheLibraryByNameOnceAtFirstUse) {
  EXPECT_EQ(library.loads, 0);
  run(0, {});
  run(0, {});
  EXPECT_EQ(library.loads, 1);
  EXPECT_THAT(library.loadedNames, ElementsAre("tarvik_unzip"));
}

TEST_F(BindingTest, AMissingLibraryIsRaisedAgainAsTheUnzipModulesError) {
  library.present = false;
  try {
    run(0, {});
    FAIL() << "no error without a library";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 48);
    EXPECT_EQ(error.description(), "File not found: tarvik_unzip");
    EXPECT_EQ(error.source(), unzipSource());
    EXPECT_THAT(error.source(), ::testing::EndsWith(".Unzip"));
  }
  EXPECT_EQ(mUnzip::CurrentUnzip(), nullptr);

  library.present = true;  // the next call tries again
  EXPECT_EQ(run(0, {}), 0);
  EXPECT_EQ(library.calls.size(), 1u);
}

TEST_F(BindingTest, AMissingEntryPointIsRaisedAgainAsTheUnzipModulesError) {
  library.hasSingleEntryUnzip = false;
  try {
    run(0, {});
    FAIL() << "no error without the entry point";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 453);
    EXPECT_THAT(error.description(), ::testing::HasSubstr("Wiz_SingleEntryUnzip"));
    EXPECT_EQ(error.source(), unzipSource());
  }
  EXPECT_EQ(mUnzip::CurrentUnzip(), nullptr);
}

TEST_F(BindingTest, KeepsTheComponentOfTheLastCallUntilItGoes) {
  run(0, {});
  EXPECT_EQ(mUnzip::CurrentUnzip(), &target);
  {
    cUnzip other;
    other.ZipFile("x.zip");
    other.Unzip();
    EXPECT_NE(mUnzip::CurrentUnzip(), nullptr);
    EXPECT_NE(mUnzip::CurrentUnzip(), &target);
  }
  EXPECT_EQ(mUnzip::CurrentUnzip(), nullptr);
}

TEST_F(BindingTest, CallbacksReportToTheComponentWhoseCallRuns) {
  library.script = [](const USERFUNCTIONS& callbacks, DCL&) {
    LibraryDouble::list(callbacks, ListedMember{});
  };
  run(0, {});
  EXPECT_EQ(target.entries, 1);
}

// --- OnLibraryPrint ---

TEST_F(BindingTest, PrintPassesTextsOfTwoTo31999Bytes) {
  const std::string longest(31999, 'x');
  std::vector<int> answers;
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    answers.push_back(LibraryDouble::print(callbacks, ""));
    answers.push_back(LibraryDouble::print(callbacks, "a"));
    answers.push_back(LibraryDouble::print(callbacks, "ab"));
    answers.push_back(LibraryDouble::print(callbacks, longest));
    answers.push_back(LibraryDouble::print(callbacks, std::string(32000, 'y')));
    answers.push_back(LibraryDouble::print(callbacks, std::string(40000, 'z')));
    answers.push_back(LibraryDouble::print(callbacks, "ab", 0xFFFFFFFFu));
  });
  EXPECT_THAT(answers, ElementsAre(0, 0, 0, 0, 0, 0, 0));
  ASSERT_EQ(listener.progress.size(), 2u);
  EXPECT_EQ(listener.progress[0].sMsg, "ab");
  EXPECT_EQ(listener.progress[1].sMsg, longest);
  for (const auto& event : listener.progress) EXPECT_EQ(event.lCount, 1);
}

TEST_F(BindingTest, PrintTurnsSlashesIntoBackslashesAndKeepsNuls) {
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    LibraryDouble::print(callbacks, "  inflating: c:/fs2002/tarvik/scenery/a.bgl\n");
    LibraryDouble::print(callbacks, std::string("a\0b/", 4));
  });
  ASSERT_EQ(listener.progress.size(), 2u);
  EXPECT_EQ(listener.progress[0].sMsg, "  inflating: c:\\fs2002\\tarvik\\scenery\\a.bgl\n");
  EXPECT_EQ(listener.progress[1].sMsg, std::string("a\0b\\", 4));
}

// --- OnLibraryReplaceQuery ---

TEST_F(BindingTest, ReplaceAnswers100WhenNobodyHandlesIt) {
  component.unbind(listener);
  int answer = -1;
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    answer = LibraryDouble::replace(callbacks, "scenery/a.bgl");
  });
  EXPECT_EQ(answer, 100);
}

TEST_F(BindingTest, ReplacePassesTheHandlersAnswerAndTheNameWithBackslashes) {
  listener.overwriteAnswer = 102;
  int answer = -1;
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    answer = LibraryDouble::replace(callbacks, "c:/target/scenery/a.bgl");
  });
  EXPECT_EQ(answer, 102);
  EXPECT_THAT(listener.overwritePrompts, ElementsAre("c:\\target\\scenery\\a.bgl"));
  EXPECT_THAT(listener.overwriteResponsesOnEntry, ElementsAre(100));
}

TEST_F(BindingTest, ReplaceReadsTheNameUpToItsNul) {
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    char name[] = "first\0second";
    callbacks.replace(name);
  });
  EXPECT_THAT(listener.overwritePrompts, ElementsAre("first"));
}

// --- OnLibraryPasswordQuery ---

struct PasswordBuffer {
  std::array<char, 300> bytes;
  PasswordBuffer() { bytes.fill('#'); }
  // The first n bytes, NULs included.
  std::string start(std::size_t n) const { return std::string(bytes.data(), n); }
};

std::string withNul(const std::string& text) { return text + '\0'; }

TEST_F(BindingTest, PasswordIsWrittenWithItsTerminatingNul) {
  listener.password = "secret";
  PasswordBuffer buffer;
  int answer = -1;
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    answer = LibraryDouble::password(callbacks, buffer.bytes.data(), 256);
  });
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(buffer.start(7), withNul("secret"));
  EXPECT_EQ(buffer.bytes[7], '#');
  EXPECT_THAT(listener.passwordsOnEntry, ElementsAre(""));
}

TEST_F(BindingTest, PasswordIsTrimmedOfSpaces) {
  listener.password = "  pass word  ";
  PasswordBuffer buffer;
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    EXPECT_EQ(LibraryDouble::password(callbacks, buffer.bytes.data(), 256), 0);
  });
  EXPECT_EQ(buffer.start(10), withNul("pass word"));
}

TEST_F(BindingTest, APasswordOf300CharactersPutsIn254BytesAndTheNul) {
  listener.password = std::string(300, 'p');
  PasswordBuffer buffer;
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    EXPECT_EQ(LibraryDouble::password(callbacks, buffer.bytes.data(), 256), 0);
  });
  EXPECT_EQ(buffer.start(255), withNul(std::string(254, 'p')));
  EXPECT_EQ(buffer.bytes[255], '#');
}

TEST_F(BindingTest, PasswordStaysWithinTheSizeTheLibraryGives) {
  listener.password = "secret";
  PasswordBuffer small;
  PasswordBuffer one;
  PasswordBuffer none;
  std::vector<int> answers;
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    answers.push_back(LibraryDouble::password(callbacks, small.bytes.data(), 4));
    answers.push_back(LibraryDouble::password(callbacks, one.bytes.data(), 1));
    answers.push_back(LibraryDouble::password(callbacks, none.bytes.data(), 0));
    answers.push_back(LibraryDouble::password(callbacks, none.bytes.data(), -5));
  });
  EXPECT_THAT(answers, ElementsAre(0, 1, 1, 1));
  EXPECT_EQ(small.start(4), withNul("sec"));
  EXPECT_EQ(small.bytes[4], '#');
  EXPECT_EQ(one.bytes[0], '\0');
  EXPECT_EQ(one.bytes[1], '#');
  EXPECT_EQ(none.bytes[0], '#');
  // A buffer too small is no refusal by the user: every request was asked.
  EXPECT_EQ(listener.passwordRequests, 4);
}

TEST_F(BindingTest, ARefusedPasswordIsNotAskedForAgainInTheSameCall) {
  listener.password = "   ";
  PasswordBuffer buffer;
  std::vector<int> answers;
  const auto askTwice = [&](const USERFUNCTIONS& callbacks, DCL&) {
    answers.push_back(LibraryDouble::password(callbacks, buffer.bytes.data(), 256));
    answers.push_back(LibraryDouble::password(callbacks, buffer.bytes.data(), 256));
  };
  unzipWith(askTwice);
  EXPECT_THAT(answers, ElementsAre(1, 1));
  EXPECT_EQ(listener.passwordRequests, 1);
  EXPECT_EQ(buffer.bytes[0], '#');

  listener.password = "good";  // the next call asks again
  unzipWith(askTwice);
  EXPECT_THAT(answers, ElementsAre(1, 1, 0, 0));
  EXPECT_EQ(listener.passwordRequests, 3);
}

TEST_F(BindingTest, ACancelledPasswordIsRefused) {
  listener.password = "given";
  listener.cancelPassword = true;
  PasswordBuffer buffer;
  std::vector<int> answers;
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    answers.push_back(LibraryDouble::password(callbacks, buffer.bytes.data(), 256));
    answers.push_back(LibraryDouble::password(callbacks, buffer.bytes.data(), 256));
  });
  EXPECT_THAT(answers, ElementsAre(1, 1));
  EXPECT_EQ(listener.passwordRequests, 1);
  EXPECT_EQ(buffer.bytes[0], '#');
}

TEST_F(BindingTest, APasswordLeftByAFailingHandlerIsStillUsed) {
  listener.password = "kept";
  listener.fail = true;
  PasswordBuffer buffer;
  int answer = -1;
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    answer = LibraryDouble::password(callbacks, buffer.bytes.data(), 256);
  });
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(buffer.start(5), withNul("kept"));
}

// --- OnLibraryListEntry ---

TEST_F(BindingTest, ListingRecordsTheMembersParts) {
  library.script = [](const USERFUNCTIONS& callbacks, DCL&) {
    ListedMember member;
    member.uncompressedSize = 5000;
    member.compressedSize = 1234;
    member.ratio = 75;
    member.name = "scenery/tarvik/qiro.bgl";
    member.method = "Defl:N";
    member.crc = 0xCBF43926u;
    member.encryptionMark = 'E';
    LibraryDouble::list(callbacks, member);
  };
  component.ZipFile("payload.zip");
  component.Directory();
  ASSERT_EQ(component.FileCount(), 1);
  EXPECT_EQ(component.Filename(1), "qiro.bgl");
  EXPECT_EQ(component.FileDirectory(1), "scenery\\tarvik");
  EXPECT_EQ(component.FileSize(1), 1234);
  EXPECT_EQ(component.FileCompressionRatio(1), 75);
  EXPECT_EQ(component.FileCompressionMethod(1), "Defl:N");
  EXPECT_EQ(component.FileCRC(1), static_cast<int32_t>(0xCBF43926u));
  EXPECT_TRUE(component.FileEncrypted(1));
  EXPECT_TRUE(component.FileSelected(1));
  EXPECT_DOUBLE_EQ(component.FileDate(1), OleDateTime(2002, 1, 26, 9, 49));
}

TEST_F(BindingTest, ListingTellsEncryptionByBitSixOfTheMarksLowByte) {
  library.script = [](const USERFUNCTIONS& callbacks, DCL&) {
    for (const uint32_t mark : {69u, 32u, 64u, 0x100u | 32u, 0x40u | 0x100u, 0u}) {
      ListedMember member;
      member.encryptionMark = mark;
      LibraryDouble::list(callbacks, member);
    }
  };
  component.ZipFile("payload.zip");
  component.Directory();
  ASSERT_EQ(component.FileCount(), 6);
  const bool expected[] = {true, false, true, false, true, false};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(component.FileEncrypted(i + 1), expected[i]) << i;
}

TEST_F(BindingTest, ListingBuildsTheDateWithTwoDigitYearsAndCarryOver) {
  library.script = [](const USERFUNCTIONS& callbacks, DCL&) {
    ListedMember member;
    member.year = 2002, member.month = 1, member.day = 26, member.hour = 9, member.minute = 49;
    LibraryDouble::list(callbacks, member);
    member.year = 95, member.month = 3, member.day = 1, member.hour = 0, member.minute = 0;
    LibraryDouble::list(callbacks, member);
    member.year = 2002, member.month = 13, member.day = 32, member.hour = 24, member.minute = 60;
    LibraryDouble::list(callbacks, member);
    member.year = 0x10000u + 3, member.month = 1, member.day = 1, member.hour = 0,
    member.minute = 0;  // only the low 16 bits count
    LibraryDouble::list(callbacks, member);
  };
  component.ZipFile("payload.zip");
  component.Directory();
  ASSERT_EQ(component.FileCount(), 4);
  EXPECT_DOUBLE_EQ(component.FileDate(1), 37282 + (9 * 60 + 49) / 1440.0);
  EXPECT_DOUBLE_EQ(component.FileDate(2), DateSerial(1995, 3, 1));
  EXPECT_DOUBLE_EQ(component.FileDate(3), DateSerial(2003, 2, 2) + 60 / 1440.0);
  EXPECT_DOUBLE_EQ(component.FileDate(4), DateSerial(2003, 1, 1));
}

TEST_F(BindingTest, ListingTakesTheRatiosLowWordAsSigned) {
  library.script = [](const USERFUNCTIONS& callbacks, DCL&) {
    ListedMember member;
    member.ratio = 0xFFFFu;
    LibraryDouble::list(callbacks, member);
    member.ratio = 0x10032u;
    LibraryDouble::list(callbacks, member);
  };
  component.ZipFile("payload.zip");
  component.Directory();
  ASSERT_EQ(component.FileCount(), 2);
  EXPECT_EQ(component.FileCompressionRatio(1), -1);
  EXPECT_EQ(component.FileCompressionRatio(2), 50);
}

TEST_F(BindingTest, ListingReadsNamesOfAtMost256Bytes) {
  const std::string name256 = "dir/" + std::string(252, 'n');
  library.script = [&](const USERFUNCTIONS& callbacks, DCL&) {
    // Exactly 256 bytes without a NUL: reading one byte more would be caught.
    const auto name = std::make_unique<char[]>(256);
    std::memcpy(name.get(), name256.data(), 256);
    char method[] = "";
    callbacks.SendApplicationMessage(10, 10, 0, 1, 1, 2002, 0, 0, 0, name.get(), method, 0, ' ');

    std::string longer = "long/" + std::string(300, 'm');
    char stored[] = "a/b";
    callbacks.SendApplicationMessage(10, 10, 0, 1, 1, 2002, 0, 0, 0, longer.data(), stored, 0,
                                     ' ');
  };
  component.ZipFile("payload.zip");
  component.Directory();
  ASSERT_EQ(component.FileCount(), 2);
  EXPECT_EQ(component.Filename(1), std::string(252, 'n'));
  EXPECT_EQ(component.FileDirectory(1), "dir");
  EXPECT_EQ(component.FileCompressionMethod(1), "");
  EXPECT_EQ(component.Filename(2), std::string(251, 'm'));
  EXPECT_EQ(component.FileCompressionMethod(2), "a/b");  // the method keeps its separators
}

TEST_F(BindingTest, ListingSkipsFolderMembers) {
  library.script = [](const USERFUNCTIONS& callbacks, DCL&) {
    ListedMember member;
    member.name = "texture/";
    LibraryDouble::list(callbacks, member);
    member.name = "texture/a.bmp";
    LibraryDouble::list(callbacks, member);
  };
  component.ZipFile("payload.zip");
  component.Directory();
  ASSERT_EQ(component.FileCount(), 1);
  EXPECT_EQ(component.Filename(1), "a.bmp");
}

// --- OnLibraryService ---

TEST_F(BindingTest, ServicePassesCountsOfTwoTo31999) {
  std::vector<int> answers;
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    answers.push_back(LibraryDouble::service(callbacks, "a.bgl", 1));
    answers.push_back(LibraryDouble::service(callbacks, "b.bgl", 32000));
    answers.push_back(LibraryDouble::service(callbacks, "c.bgl", 0));
    answers.push_back(LibraryDouble::service(callbacks, "d.bgl", 5));
    answers.push_back(LibraryDouble::service(callbacks, "e.bgl", 31999));
  });
  EXPECT_THAT(answers, ElementsAre(0, 0, 0, 0, 0));
  EXPECT_THAT(listener.cancelNames, ElementsAre("d.bgl", "e.bgl"));
  EXPECT_THAT(listener.cancelsOnEntry, ElementsAre(false, false));
}

TEST_F(BindingTest, ServiceReadsNoFurtherThanTheCountAndTurnsBackslashesIntoSlashes) {
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    LibraryDouble::service(callbacks, "scenery\\a.bgl", 9);
    LibraryDouble::service(callbacks, "scenery\\b.bgl", 100);
  });
  EXPECT_THAT(listener.cancelNames, ElementsAre("scenery/a", "scenery/b.bgl"));
}

TEST_F(BindingTest, ServiceStopsTheRunWhenTheHandlerCancels) {
  listener.cancelMember = true;
  int answer = -1;
  unzipWith([&](const USERFUNCTIONS& callbacks, DCL&) {
    answer = LibraryDouble::service(callbacks, "a.bgl", 5);
  });
  EXPECT_EQ(answer, 1);
}

// --- no failure travels back into the library ---

TEST_F(BindingTest, FailingHandlersNeverReachTheLibrary) {
  listener.fail = true;
  listener.overwriteAnswer = 103;
  listener.password = "";
  std::vector<int> answers;
  PasswordBuffer buffer;
  library.result = 0;
  library.script = [&](const USERFUNCTIONS& callbacks, DCL&) {
    answers.push_back(LibraryDouble::print(callbacks, "text"));
    answers.push_back(LibraryDouble::replace(callbacks, "a.bgl"));
    answers.push_back(LibraryDouble::password(callbacks, buffer.bytes.data(), 256));
    answers.push_back(LibraryDouble::service(callbacks, "a.bgl", 5));
    LibraryDouble::list(callbacks, ListedMember{});
  };
  component.ZipFile("payload.zip");
  EXPECT_NO_THROW(EXPECT_FALSE(component.Unzip()));
  EXPECT_THAT(answers, ElementsAre(0, 103, 1, 0));
  EXPECT_EQ(listener.progress.size(), 1u);
  EXPECT_EQ(listener.passwordRequests, 1);
  EXPECT_EQ(listener.cancelNames.size(), 1u);
}

}  // namespace
}  // namespace tarvik::testing
