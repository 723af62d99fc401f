// The package step's own reader of the installer program as linked, against Windows: both must
// find the same resources and the same header checksum. (What the resources hold is checked with
// Windows' functions in the window's resource tests.)

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

}  // namespace
}  // namespace tarvik::package
