// The resources of the installer program as linked, read twice: by the package step's own reader
// and by Windows (the resource and version functions on the file loaded as data). Both must find
// exactly the icon group, the icon, the version information and the manifest.

#include <windows.h>
#include <imagehlp.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "package/pe_image.h"
#include "package/pe_resources.h"
#include "package/resource_check.h"
#include "tests/support/temp_folder.h"

namespace tarvik::package {
namespace {

using ::testing::ElementsAre;

// The tests run in the build's program folder, beside the installer.
constexpr wchar_t kInstaller[] = L"tarvik_installer.exe";

struct ModuleRelease {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using DataModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleRelease>;

DataModule loadAsData() {
  return DataModule(LoadLibraryExW(
      kInstaller, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

using TypeAndName = std::pair<uint16_t, uint16_t>;

uint16_t numberOf(LPCWSTR name) {
  return IS_INTRESOURCE(name) ? static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(name))
                              : uint16_t{0xFFFF};
}

BOOL CALLBACK addName(HMODULE, LPCWSTR type, LPWSTR name, LONG_PTR found) {
  reinterpret_cast<std::set<TypeAndName>*>(found)->insert({numberOf(type), numberOf(name)});
  return TRUE;
}

BOOL CALLBACK addType(HMODULE module, LPWSTR type, LONG_PTR found) {
  EnumResourceNamesW(module, type, addName, found);
  return TRUE;
}

// Types and names as Windows enumerates them; a text type or name counts as 0xFFFF.
std::set<TypeAndName> windowsInventory(HMODULE module) {
  std::set<TypeAndName> found;
  EnumResourceTypesW(module, addType, reinterpret_cast<LONG_PTR>(&found));
  return found;
}

std::wstring versionString(const std::vector<char>& block, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value) return L"<none>";
  return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(InstallerResources, ThePackageStepsReaderFindsExactlyWhatTheProgramMustCarry) {
  const PeImage image(tarvik::testing::readFile("tarvik_installer.exe"));
  const std::vector<PeResource> resources = readResources(image);
  EXPECT_THAT(checkInstallerResources(resources), ElementsAre());
  std::set<TypeAndName> inventory;
  for (const PeResource& resource : resources) inventory.insert({resource.type.id, resource.name.id});
  const DataModule module = loadAsData();
  ASSERT_TRUE(module) << "cannot load the installer as data: " << GetLastError();
  EXPECT_EQ(inventory, windowsInventory(module.get()));
}

TEST(InstallerResources, TheHeaderChecksumIsTheOneWindowsComputes) {
  DWORD stored = 0;
  DWORD computed = 0;
  ASSERT_EQ(MapFileAndCheckSumW(kInstaller, &stored, &computed), CHECKSUM_SUCCESS);
  const PeImage image(tarvik::testing::readFile("tarvik_installer.exe"));
  EXPECT_EQ(image.checksum(), stored);
  EXPECT_EQ(image.computedChecksum(), computed);
}

TEST(InstallerResources, WindowsFindsTheIconGroupWithOne32By32ImageOf16Colours) {
  const DataModule module = loadAsData();
  ASSERT_TRUE(module);
  EXPECT_EQ(windowsInventory(module.get()),
            (std::set<TypeAndName>{{3, 30001}, {14, 1}, {16, 1}, {24, 1}}));
  HRSRC group = FindResourceW(module.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));
  ASSERT_NE(group, nullptr);
  auto* directory = static_cast<PBYTE>(LockResource(LoadResource(module.get(), group)));
  ASSERT_NE(directory, nullptr);
  EXPECT_EQ(LookupIconIdFromDirectoryEx(directory, TRUE, 32, 32, LR_DEFAULTCOLOR), 30001);
  EXPECT_EQ(LookupIconIdFromDirectoryEx(directory, TRUE, 16, 16, LR_DEFAULTCOLOR), 30001);
}

TEST(InstallerResources, WindowsReadsTheVersionInformation) {
  const DWORD size = GetFileVersionInfoSizeW(kInstaller, nullptr);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(kInstaller, 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 0x04B0);

  EXPECT_EQ(versionString(block, L"CompanyName"), L".");
  EXPECT_EQ(versionString(block, L"ProductName"), L"tarvik_installer");
  EXPECT_EQ(versionString(block, L"FileVersion"), L"1.00");
  EXPECT_EQ(versionString(block, L"ProductVersion"), L"1.00");
  EXPECT_EQ(versionString(block, L"InternalName"), L"tarvik_installer");
  EXPECT_EQ(versionString(block, L"OriginalFilename"), L"tarvik_installer.exe");
  EXPECT_EQ(versionString(block, L"LegalCopyright"), L"<none>");
}

}  // namespace
}  // namespace tarvik::package
