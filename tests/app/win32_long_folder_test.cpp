// An add-on folder whose path is about 250 characters long, its files' paths past 260: the
// checks, the attribute reset, the obsolete files, the staging leftovers and the update work on
// it as on any other, through the Win32 file system, write access and the real unzip library.
// Windows refuses such paths unless they are written in their long form; where the system does
// not refuse them (Wine), the test runs the same and then says it is skipped, as the limit
// itself could not be shown.

#include <windows.h>

#include <gtest/gtest.h>

#include "app/payload_contents.h"
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

void writeFile(const fs::path& path, const std::string& bytes, DWORD attributes) {
  const HANDLE file = CreateFileW(longForm(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, attributes, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

void makeFolders(const fs::path& folder) {
  fs::path made;
  for (const fs::path& part : folder) {
    made /= part;
    if (made.has_relative_path()) CreateDirectoryW(longForm(made).c_str(), nullptr);
  }
}

DWORD attributesOf(const fs::path& path) {
  return GetFileAttributesW(longForm(path).c_str());
}

TEST(LongAddonFolder, IsCheckedPreparedAndUpdatedLikeAnyOther) {
  const TempFolder temp;
  const bool limited = systemLimitsPathLength(temp.path());
  fs::path folder = temp.path();
  while (folder.wstring().size() < 200) folder /= L"Addon Scenery Folder With A Long Name";
  folder /= std::wstring(249 - folder.wstring().size(), L'x');
  ASSERT_EQ(folder.wstring().size(), 250u);
  makeFolders(folder / "scenery");
  makeFolders(folder / "texture");
  writeFile(folder / "scenery/Polders NL.bgl", "obsolete", FILE_ATTRIBUTE_READONLY);
  writeFile(folder / "scenery/alpha.bgl", "old", FILE_ATTRIBUTE_READONLY);
  writeFile(folder / "texture/~tvk0badf00d.tmp", "half", FILE_ATTRIBUTE_READONLY);
  writeFile(folder / "texture/with space.bmp", "old", FILE_ATTRIBUTE_HIDDEN);

  mUnzip::UseLibraryLoader(nullptr);
  cUnzip pakket;
  const std::string archive = narrow((testData() / "python_deflated.zip").wstring());
  const std::vector<PayloadFile> payload = listPayload(pakket, archive);
  ASSERT_EQ(payload.size(), 7u);
  const auto files = makeWin32FileSystem();
  const auto access = makeWin32WriteAccess();
  const std::string addon = narrow(folder.wstring());
  const auto failure = checkUpdate({addon}, payload, *files, *access);
  EXPECT_FALSE(failure) << failure->message;
  EXPECT_EQ(access->volumeOf(addon), narrow(folder.root_path().wstring()));

  ClearFolderAttributes(*files, addon + "\\scenery\\");
  ClearFolderAttributes(*files, addon + "\\texture\\");
  DeleteObsoleteFiles(*files, addon + "\\scenery\\");
  RemoveStagingLeftovers(*files, addon + "\\texture\\");
  EXPECT_EQ(attributesOf(folder / "scenery/Polders NL.bgl"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributesOf(folder / "texture/~tvk0badf00d.tmp"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributesOf(folder / "scenery/alpha.bgl") & FILE_ATTRIBUTE_READONLY, 0u);

  pakket.UseFolderNames(true);
  pakket.OverwriteExisting(true);
  pakket.UnzipFolder(addon);
  EXPECT_FALSE(pakket.Unzip());
  for (const char* file : {"scenery/alpha.bgl", "texture/with space.bmp", "texture/sub/deep.0af"})
    EXPECT_EQ(readFile(longForm(folder / file)), readFile(testData() / "source" / file)) << file;
  removeTree(temp.path());
  if (!limited)
    GTEST_SKIP() << "the long folder was checked, prepared and updated, but this system does not "
                    "enforce the 260-character limit, so the limit itself could not be shown";
}

}  // namespace
}  // namespace tarvik::testing
