// An add-on folder whose path is 250 characters long, its files' paths past 260: the checks, the
// attribute reset, the obsolete files, the staging leftovers and the update work on it through
// the Win32 platform and the real library. Windows refuses such paths unless they are in their
// long form; where the system does not (Wine), the test runs the same and ends as skipped.

#include <windows.h>

#include <gtest/gtest.h>

#include "app/staging_leftovers.h"
#include "app/update_application.h"
#include "app/update_checks.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"
#include "tests/support/temp_folder.h"
#include "tests/unziplib/unzip_call.h"
#include "unzip/unzip_binding.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, DWORD attributes) {
  fs::path made;
  for (const fs::path& part : path.parent_path()) {
    made /= part;
    if (made.has_relative_path()) CreateDirectoryW(longForm(made).c_str(), nullptr);
  }
  CloseHandle(CreateFileW(longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          attributes, nullptr));
}

DWORD attributesOf(const fs::path& path) { return GetFileAttributesW(longForm(path).c_str()); }

TEST(LongAddonFolder, IsCheckedPreparedAndUpdatedLikeAnyOther) {
  const TempFolder temp;
  const bool limited = systemLimitsPathLength(temp.path());
  fs::path folder = temp.path();
  while (folder.wstring().size() < 200) folder /= L"Addon Scenery Folder With A Long Name";
  folder /= std::wstring(249 - folder.wstring().size(), L'x');
  writeFile(folder / "scenery/Polders NL.bgl", FILE_ATTRIBUTE_READONLY);  // obsolete
  writeFile(folder / "scenery/alpha.bgl", FILE_ATTRIBUTE_READONLY);
  writeFile(folder / "texture/~tvk0badf00d.tmp", FILE_ATTRIBUTE_HIDDEN);
  const std::string addon = narrow(folder.wstring());

  mUnzip::UseLibraryLoader(nullptr);
  cUnzip pakket;
  const auto payload = listPayload(pakket, narrow((testData() / "python_deflated.zip").wstring()));
  const auto files = makeWin32FileSystem();
  const auto access = makeWin32WriteAccess();
  const auto failure = checkUpdate({addon}, payload, *files, *access);
  EXPECT_FALSE(failure) << failure->message;
  const auto space = access->space(addon);
  ASSERT_TRUE(space);
  EXPECT_EQ(space->serial, access->space(narrow(folder.root_path().wstring()))->serial);

  ClearFolderAttributes(*files, addon + "\\scenery\\");
  DeleteObsoleteFiles(*files, addon + "\\scenery\\");
  RemoveStagingLeftovers(*files, addon + "\\texture\\");
  EXPECT_EQ(attributesOf(folder / "scenery/Polders NL.bgl"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributesOf(folder / "texture/~tvk0badf00d.tmp"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributesOf(folder / "scenery/alpha.bgl") & FILE_ATTRIBUTE_READONLY, 0u);

  pakket.UseFolderNames(true);
  pakket.OverwriteExisting(true);
  pakket.UnzipFolder(addon);
  EXPECT_FALSE(pakket.Unzip());
  for (const char* file : {"scenery/alpha.bgl", "texture/sub/deep.0af"})
    EXPECT_EQ(readFile(longForm(folder / file)), readFile(testData() / "source" / file)) << file;
  removeTree(temp.path());
  if (!limited)
    GTEST_SKIP() << "the long folder was checked, prepared and updated, but this system does not "
                    "enforce the 260-character limit, so the limit itself could not be shown";
}

}  // namespace
}  // namespace tarvik::testing
