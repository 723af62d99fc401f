// The component against the library double: its properties and options record, its directory,
// the include lists Unzip builds, its events, GetVersion and its errors.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/program.h"
#include "platform/runtime_error.h"
#include "tests/unzip/library_double.h"
#include "tests/unzip/recording_listener.h"
#include "unzip/unzip_binding.h"
#include "unzip/unzip_component.h"

namespace tarvik::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Expects the call to fail with the run-time error of that number.
template <typename Call>
void expectError(int32_t number, Call&& call) {
  try {
    call();
    ADD_FAILURE() << "no error " << number;
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), number);
  }
}

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override { component.bind(listener); }

  // Lists the given member names (sizes, ratios and the rest as ListedMember has them).
  void listMembers(const std::vector<std::string>& names) {
    library.script = [names](const USERFUNCTIONS& callbacks, DCL&) {
      for (const std::string& name : names) {
        ListedMember member;
        member.name = name;
        LibraryDouble::list(callbacks, member);
      }
    };
    component.Directory();
    library.script = nullptr;
  }

  const RecordedCall& lastCall() const { return library.calls.back(); }

  std::vector<std::string> includedNames(const RecordedCall& call) const {
    std::vector<std::string> names;
    for (int slot = 0; slot < call.includeCount; ++slot) names.push_back(*call.includeSlots[slot]);
    return names;
  }

  LibraryDouble library;
  cUnzip component;
  RecordingListener listener;
};

TEST_F(ComponentTest, ANewInstanceIsAllZero) {
  cUnzip fresh;
  EXPECT_EQ(fresh.FileCount(), 0);
  EXPECT_FALSE(fresh.ExtractOnlyNewer());
  EXPECT_FALSE(fresh.SpaceToUnderScore());
  EXPECT_FALSE(fresh.PromptToOverwrite());
  EXPECT_EQ(fresh.MessageLevel(), 0);
  EXPECT_FALSE(fresh.TestZip());
  EXPECT_FALSE(fresh.UseFolderNames());
  EXPECT_FALSE(fresh.OverwriteExisting());
  EXPECT_FALSE(fresh.ConvertCRToCRLF());
  EXPECT_FALSE(fresh.CaseSensitiveFileNames());
  EXPECT_EQ(fresh.ZipFile(), "");
  EXPECT_EQ(fresh.UnzipFolder(), "");
  EXPECT_EQ(fresh.options().fPrivilege, 0);
  try {
    fresh.Filename(1);
    FAIL() << "index 1 of an empty directory was accepted";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 9);
    EXPECT_EQ(error.description(), "Subscript out of range");
  }
}

struct BooleanProperty {
  const char* name;
  void (cUnzip::*set)(bool);
  bool (cUnzip::*get)() const;
  int32_t UnzipOptions::*field;
};

TEST_F(ComponentTest, BooleanPropertiesWriteOneOrZeroIntoTheirOwnField) {
  const BooleanProperty properties[] = {
      {"ExtractOnlyNewer", &cUnzip::ExtractOnlyNewer, &cUnzip::ExtractOnlyNewer,
       &UnzipOptions::ExtractOnlyNewer},
      {"SpaceToUnderScore", &cUnzip::SpaceToUnderScore, &cUnzip::SpaceToUnderScore,
       &UnzipOptions::SpaceToUnderscore},
      {"PromptToOverwrite", &cUnzip::PromptToOverwrite, &cUnzip::PromptToOverwrite,
       &UnzipOptions::PromptToOverwrite},
      {"TestZip", &cUnzip::TestZip, &cUnzip::TestZip, &UnzipOptions::ntflag},
      {"UseFolderNames", &cUnzip::UseFolderNames, &cUnzip::UseFolderNames,
       &UnzipOptions::ndflag},
      {"OverwriteExisting", &cUnzip::OverwriteExisting, &cUnzip::OverwriteExisting,
       &UnzipOptions::noflag},
      {"ConvertCRToCRLF", &cUnzip::ConvertCRToCRLF, &cUnzip::ConvertCRToCRLF,
       &UnzipOptions::naflag},
      {"CaseSensitiveFileNames", &cUnzip::CaseSensitiveFileNames,
       &cUnzip::CaseSensitiveFileNames, &UnzipOptions::C_flag},
  };
  for (const BooleanProperty& property : properties) {
    cUnzip fresh;
    (fresh.*property.set)(true);
    EXPECT_TRUE((fresh.*property.get)()) << property.name;
    EXPECT_EQ(fresh.options().*property.field, 1) << property.name;
    // No other field moved.
    int32_t total = 0;
    for (const BooleanProperty& other : properties) total += fresh.options().*other.field;
    EXPECT_EQ(total, 1) << property.name;
    EXPECT_EQ(fresh.options().fQuiet, 0) << property.name;

    (fresh.*property.set)(false);
    EXPECT_FALSE((fresh.*property.get)()) << property.name;
    EXPECT_EQ(fresh.options().*property.field, 0) << property.name;
  }
}

TEST_F(ComponentTest, MessageLevelStoresTheValueUnchanged) {
  for (const int32_t level : {2, -7, 1 << 30}) {
    component.MessageLevel(level);
    EXPECT_EQ(component.MessageLevel(), level);
    EXPECT_EQ(component.options().fQuiet, level);
  }
}

TEST_F(ComponentTest, GettersReportWhatTheLibraryLeftInTheRecord) {
  library.script = [](const USERFUNCTIONS&, DCL& options) {
    options.ntflag = 7;
    options.ExtractOnlyNewer = -1;
    options.fQuiet = 2;
    options.noflag = 0;
  };
  component.OverwriteExisting(true);
  component.ZipFile("a.zip");
  component.Unzip();
  EXPECT_TRUE(component.TestZip());
  EXPECT_EQ(component.options().ntflag, 7);
  EXPECT_TRUE(component.ExtractOnlyNewer());
  EXPECT_EQ(component.MessageLevel(), 2);
  EXPECT_FALSE(component.OverwriteExisting());
}

TEST_F(ComponentTest, TextPropertiesReturnWhatWasSet) {
  component.ZipFile("tarvik_installer.exe");
  component.UnzipFolder("c:\\fs2002\\tarvik");
  EXPECT_EQ(component.ZipFile(), "tarvik_installer.exe");
  EXPECT_EQ(component.UnzipFolder(), "c:\\fs2002\\tarvik");
  // Neither reaches the record before a library call.
  EXPECT_EQ(component.options().lpszZipFN, "");
  EXPECT_EQ(component.options().lpszExtractDir, "");
}

// --- Directory ---

TEST_F(ComponentTest, DirectoryListsWithTheListOnlySwitchAndNoFolder) {
  component.ZipFile("payload.zip");
  component.UnzipFolder("c:\\target");
  library.result = 9;
  EXPECT_EQ(component.Directory(), 0);
  const RecordedCall& call = lastCall();
  EXPECT_EQ(call.options.nvflag, 1);
  EXPECT_EQ(call.zipFileName, "payload.zip");
  EXPECT_EQ(call.extractFolder, "");
  EXPECT_EQ(component.options().lpszExtractDir, std::string(1, '\0'));
  EXPECT_EQ(call.includeCount, 0);
  EXPECT_EQ(call.includeSlots[0], "");
  EXPECT_EQ(call.excludeCount, 0);
  EXPECT_EQ(call.excludeSlots[0], "");
}

TEST_F(ComponentTest, DirectoryHandsAnEmptyArchiveNameOn) {
  EXPECT_EQ(component.Directory(), 0);
  ASSERT_EQ(library.calls.size(), 1u);
  EXPECT_EQ(lastCall().zipFileName, "");
}

TEST_F(ComponentTest, DirectoryRecordsNamedMembersInTheListingsOrder) {
  component.ZipFile("payload.zip");
  listMembers({"texture/", "texture/a.bmp", "readme.txt", "a/b/c.txt", "texture/a.bmp"});
  ASSERT_EQ(component.FileCount(), 4);
  EXPECT_EQ(component.Filename(1), "a.bmp");
  EXPECT_EQ(component.FileDirectory(1), "texture");
  EXPECT_EQ(component.Filename(2), "readme.txt");
  EXPECT_EQ(component.FileDirectory(2), "");
  EXPECT_EQ(component.Filename(3), "c.txt");
  EXPECT_EQ(component.FileDirectory(3), "a\\b");
  EXPECT_EQ(component.Filename(4), "a.bmp");  // duplicates are kept
  for (int32_t i = 1; i <= 4; ++i) EXPECT_TRUE(component.FileSelected(i));
}

TEST_F(ComponentTest, DirectoryAppendsAndSettingZipFileEmpties) {
  component.ZipFile("payload.zip");
  listMembers({"a.txt", "b.txt"});
  listMembers({"a.txt", "b.txt"});
  EXPECT_EQ(component.FileCount(), 4);

  component.ZipFile("payload.zip");  // the same text still empties the directory
  EXPECT_EQ(component.FileCount(), 0);
  expectError(9, [&] { component.Filename(1); });
}

TEST_F(ComponentTest, IndexedMembersRefuseIndicesOutsideTheDirectory) {
  component.ZipFile("payload.zip");
  listMembers({"a.txt", "b.txt"});
  for (const int32_t index : {0, -1, 3}) {
    expectError(9, [&] { component.Filename(index); });
    expectError(9, [&] { component.FileDirectory(index); });
    expectError(9, [&] { component.FileSize(index); });
    expectError(9, [&] { component.FilePackedSize(index); });
    expectError(9, [&] { component.FileCompressionRatio(index); });
    expectError(9, [&] { component.FileDate(index); });
    expectError(9, [&] { component.FileCRC(index); });
    expectError(9, [&] { component.FileCompressionMethod(index); });
    expectError(9, [&] { component.FileEncrypted(index); });
    expectError(9, [&] { component.FileSelected(index); });
    expectError(9, [&] { component.FileSelected(index, false); });
  }
  EXPECT_TRUE(component.FileSelected(1));
  EXPECT_TRUE(component.FileSelected(2));
}

TEST_F(ComponentTest, FilePackedSizeMultipliesSizeByRatioAndChecksForOverflow) {
  library.script = [](const USERFUNCTIONS& callbacks, DCL&) {
    const std::pair<uint32_t, uint32_t> sizeAndRatio[] = {
        {1000, 37}, {12345, 37}, {100000000, 50}, {5000, 0}, {static_cast<uint32_t>(-7), 50},
        {21474836, 100}, {21474837, 100}};
    for (const auto& [size, ratio] : sizeAndRatio) {
      ListedMember member;
      member.compressedSize = size;
      member.ratio = ratio;
      LibraryDouble::list(callbacks, member);
    }
  };
  component.ZipFile("payload.zip");
  component.Directory();
  ASSERT_EQ(component.FileCount(), 7);
  EXPECT_EQ(component.FilePackedSize(1), 370);
  EXPECT_EQ(component.FilePackedSize(2), 4567);
  try {
    component.FilePackedSize(3);
    FAIL() << "100000000 * 50 did not overflow";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 6);
    EXPECT_EQ(error.description(), "Overflow");
  }
  EXPECT_EQ(component.FilePackedSize(4), 0);
  EXPECT_EQ(component.FilePackedSize(5), -3);  // -350 / 100, truncated toward zero
  EXPECT_EQ(component.FilePackedSize(6), 21474836);
  expectError(6, [&] { component.FilePackedSize(7); });
}

// --- Unzip ---

TEST_F(ComponentTest, UnzipWithoutAnArchiveNameDoesNothing) {
  component.UnzipFolder("c:\\target");
  EXPECT_FALSE(component.Unzip());
  EXPECT_TRUE(library.calls.empty());
  EXPECT_EQ(library.loads, 0);
  EXPECT_THAT(listener.progress, IsEmpty());
  EXPECT_EQ(component.options().nvflag, 0);
  EXPECT_EQ(component.options().lpszExtractDir, "");
}

TEST_F(ComponentTest, UnzipAsTheInstallerRunsIt) {
  component.UseFolderNames(true);
  component.ZipFile("tarvik_installer.exe");
  component.UnzipFolder("c:\\fs2002\\tarvik");
  component.OverwriteExisting(true);
  EXPECT_FALSE(component.Unzip());

  const RecordedCall& call = lastCall();
  EXPECT_EQ(call.includeCount, 0);
  EXPECT_EQ(call.includeSlots[0], "");
  EXPECT_EQ(call.excludeCount, 0);
  EXPECT_EQ(call.zipFileName, "tarvik_installer.exe");
  EXPECT_EQ(call.extractFolder, "c:\\fs2002\\tarvik");
  const DCL& dcl = call.options;
  EXPECT_EQ(dcl.ndflag, 1);
  EXPECT_EQ(dcl.noflag, 1);
  const int32_t others[] = {dcl.ExtractOnlyNewer, dcl.SpaceToUnderscore, dcl.PromptToOverwrite,
                            dcl.fQuiet, dcl.ncflag, dcl.ntflag, dcl.nvflag, dcl.nfflag,
                            dcl.nzflag, dcl.naflag, dcl.nZIflag, dcl.C_flag, dcl.fPrivilege};
  for (const int32_t field : others) EXPECT_EQ(field, 0);
}

TEST_F(ComponentTest, UnzipAfterDirectoryClearsTheListOnlySwitch) {
  component.ZipFile("payload.zip");
  listMembers({"a.txt"});
  EXPECT_EQ(component.options().nvflag, 1);
  component.Unzip();
  EXPECT_EQ(lastCall().options.nvflag, 0);
  EXPECT_EQ(component.options().nvflag, 0);
}

TEST_F(ComponentTest, UnzipNamesNoMemberWhenAllOrNoneAreSelected) {
  component.ZipFile("payload.zip");
  listMembers({"texture/a.bmp", "readme.txt", "a/b/c.txt"});
  component.Unzip();
  EXPECT_EQ(lastCall().includeCount, 0);
  EXPECT_EQ(lastCall().includeSlots[0], "");

  for (int32_t i = 1; i <= 3; ++i) component.FileSelected(i, false);
  component.Unzip();
  EXPECT_EQ(lastCall().includeCount, 0);
  EXPECT_EQ(lastCall().includeSlots[0], "");
}

TEST_F(ComponentTest, UnzipNamesTheSelectedMembersByTheirArchivePaths) {
  component.ZipFile("payload.zip");
  listMembers({"texture/a.bmp", "readme.txt", "scenery/x.bgl", "a/b/c.txt"});
  component.FileSelected(3, false);
  EXPECT_FALSE(component.FileSelected(3));
  component.Unzip();
  EXPECT_EQ(lastCall().includeCount, 3);
  EXPECT_THAT(includedNames(lastCall()), ElementsAre("texture/a.bmp", "readme.txt", "a/b/c.txt"));
  EXPECT_EQ(lastCall().includeSlots[3], "");
  // Unzip changes neither the directory nor the selection.
  EXPECT_EQ(component.FileCount(), 4);
  EXPECT_FALSE(component.FileSelected(3));
}

TEST_F(ComponentTest, UnzipTakes1023SelectedMembersButNot1024) {
  std::vector<std::string> names;
  for (int i = 1; i <= 1025; ++i) names.push_back("scenery/f" + std::to_string(i) + ".bgl");
  component.ZipFile("payload.zip");
  listMembers(std::vector<std::string>(names.begin(), names.begin() + 1024));
  component.FileSelected(1, false);
  component.Unzip();
  EXPECT_EQ(lastCall().includeCount, 1023);
  EXPECT_EQ(lastCall().includeSlots[0], "scenery/f2.bgl");
  EXPECT_EQ(lastCall().includeSlots[1022], "scenery/f1024.bgl");

  component.ZipFile("payload.zip");
  listMembers(names);
  component.FileSelected(1, false);
  const std::size_t callsBefore = library.calls.size();
  try {
    component.Unzip();
    FAIL() << "1024 include names were accepted";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 9);
    EXPECT_EQ(error.source(), executableBaseName() + ".Unzip");
  }
  EXPECT_EQ(library.calls.size(), callsBefore);
}

TEST_F(ComponentTest, UnzipReportsAFailedLibraryCallAsTrue) {
  component.ZipFile("payload.zip");
  library.result = 0;
  EXPECT_FALSE(component.Unzip());
  library.result = 1;
  EXPECT_TRUE(component.Unzip());
  library.result = -1;
  EXPECT_TRUE(component.Unzip());
}

TEST_F(ComponentTest, ABindingErrorReachesTheCallerAndLeavesTheStateOfThatMoment) {
  component.ZipFile("payload.zip");
  listMembers({"a.txt", "b.txt"});
  component.UnzipFolder("c:\\target");
  library.hasSingleEntryUnzip = false;
  try {
    component.Unzip();
    FAIL() << "no error without the entry point";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 453);
    EXPECT_EQ(error.source(), executableBaseName() + ".Unzip");
  }
  EXPECT_EQ(component.FileCount(), 2);
  EXPECT_EQ(component.options().nvflag, 0);
  EXPECT_EQ(component.options().lpszZipFN, "payload.zip");
  EXPECT_EQ(component.options().lpszExtractDir, "c:\\target");

  expectError(453, [&] { component.Directory(); });
  EXPECT_EQ(component.options().nvflag, 1);
  EXPECT_EQ(component.options().lpszExtractDir, std::string(1, '\0'));
}

// --- events ---

TEST_F(ComponentTest, EventsReachEveryBoundListenerAndNoUnboundOne) {
  RecordingListener second;
  RecordingListener unbound;
  component.bind(second);
  component.bind(unbound);
  component.unbind(unbound);
  library.script = [](const USERFUNCTIONS& callbacks, DCL&) {
    LibraryDouble::print(callbacks, "hello");
    LibraryDouble::service(callbacks, "x.bgl", 5);
  };
  component.ZipFile("payload.zip");
  component.Unzip();
  for (const RecordingListener* seen : {&listener, &second}) {
    ASSERT_EQ(seen->progress.size(), 1u);
    EXPECT_EQ(seen->progress[0].lCount, 1);
    EXPECT_EQ(seen->progress[0].sMsg, "hello");
    EXPECT_THAT(seen->cancelNames, ElementsAre("x.bgl"));
  }
  EXPECT_THAT(unbound.progress, IsEmpty());
  EXPECT_THAT(unbound.cancelNames, IsEmpty());
}

TEST_F(ComponentTest, WithoutListenersRaisingDoesNothing) {
  component.unbind(listener);
  int replaceAnswer = -1;
  int serviceAnswer = -1;
  int passwordAnswer = -1;
  library.script = [&](const USERFUNCTIONS& callbacks, DCL&) {
    LibraryDouble::print(callbacks, "hello");
    replaceAnswer = LibraryDouble::replace(callbacks, "a.bgl");
    serviceAnswer = LibraryDouble::service(callbacks, "a.bgl", 5);
    char buffer[256] = {};
    passwordAnswer = LibraryDouble::password(callbacks, buffer, 256);
  };
  component.ZipFile("payload.zip");
  EXPECT_FALSE(component.Unzip());
  EXPECT_EQ(replaceAnswer, 100);
  EXPECT_EQ(serviceAnswer, 0);
  EXPECT_EQ(passwordAnswer, 1);
  EXPECT_THAT(listener.progress, IsEmpty());
}

// --- GetVersion ---

class VersionTest : public ComponentTest {
 protected:
  int32_t major = -1;
  int32_t minor = -1;
  int32_t revision = -1;
  double date = 1234.5;
  std::string extra = "unchanged";

  void getVersion() { component.GetVersion(major, minor, revision, date, extra); }
};

TEST_F(VersionTest, HandsTheLibraryAPreparedRecord) {
  getVersion();
  ASSERT_TRUE(library.versionHandedOver.has_value());
  const UzpVer2& record = *library.versionHandedOver;
  EXPECT_EQ(record.structlen, 64u);
  EXPECT_EQ(record.flag, 0u);
  EXPECT_EQ(std::string(record.betalevel, 10), std::string(9, ' ') + '\0');
  EXPECT_EQ(std::string(record.date, 20), std::string(19, ' ') + '\0');
  EXPECT_EQ(std::string(record.zlib_version, 10), std::string(9, ' ') + '\0');
  for (const uint8_t byte : record.windll) EXPECT_EQ(byte, 0);
}

TEST_F(VersionTest, ReadsTheInterfaceVersionAndPadsTheBetaLevel) {
  library.interfaceVersion = {6, 0, 255, 7};
  getVersion();
  EXPECT_EQ(major, 6);
  EXPECT_EQ(minor, 0);
  EXPECT_EQ(revision, 255);
  EXPECT_EQ(extra, std::string(10, ' '));
  EXPECT_EQ(date, 1234.5);

  library.betaLevel = std::string("b\0zzz", 5);
  getVersion();
  EXPECT_EQ(extra, "b" + std::string(9, ' '));

  library.betaLevel = "0123456789";  // no NUL: taken whole
  getVersion();
  EXPECT_EQ(extra, "0123456789");
}

TEST_F(VersionTest, AMissingEntryPointChangesNoOutput) {
  library.hasVersion = false;
  expectError(453, [&] { getVersion(); });
  EXPECT_EQ(major, -1);
  EXPECT_EQ(minor, -1);
  EXPECT_EQ(revision, -1);
  EXPECT_EQ(extra, "unchanged");
}

TEST_F(VersionTest, AMissingLibraryRaisesTheLoadErrorAndChangesNoOutput) {
  library.present = false;
  try {
    getVersion();
    FAIL() << "no error without a library";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 48);
    EXPECT_EQ(error.source(), "");  // the platform's error as it is
  }
  EXPECT_EQ(major, -1);
  EXPECT_EQ(minor, -1);
  EXPECT_EQ(revision, -1);
  EXPECT_EQ(date, 1234.5);
  EXPECT_EQ(extra, "unchanged");
}

}  // namespace
}  // namespace tarvik::testing
