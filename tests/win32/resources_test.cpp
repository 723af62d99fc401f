// The resources of the installer's own file (tarvik_installer.exe beside the tests): exactly
// icon group 1 with the 32 x 32, 16-colour icon 30001, the version information and the
// manifest.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "package/product_info.h"
#include "platform/program.h"
#include "platform/win32/wide_text.h"

namespace tarvik::testing {
namespace {

std::wstring installerFile() {
  std::string folder = executablePath();
  folder.erase(folder.find_last_of('\\') + 1);
  return widen(folder + "tarvik_installer.exe");
}

class ResourceModule {
 public:
  ResourceModule()
      : module_(LoadLibraryExW(installerFile().c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~ResourceModule() {
    if (module_) FreeLibrary(module_);
  }
  ResourceModule(const ResourceModule&) = delete;
  ResourceModule& operator=(const ResourceModule&) = delete;
  HMODULE get() const { return module_; }

  std::vector<unsigned char> bytes(LPCWSTR type, LPCWSTR name) const {
    const HRSRC found = FindResourceW(module_, name, type);
    if (!found) return {};
    const auto* data =
        static_cast<const unsigned char*>(LockResource(LoadResource(module_, found)));
    return {data, data + SizeofResource(module_, found)};
  }

 private:
  HMODULE module_;
};

int resourceNumber(LPCWSTR name) {
  return IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : -1;
}

BOOL CALLBACK addName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
  reinterpret_cast<std::set<int>*>(names)->insert(resourceNumber(name));
  return TRUE;
}

BOOL CALLBACK addType(HMODULE module, LPWSTR type, LONG_PTR found) {
  auto& all = *reinterpret_cast<std::map<int, std::set<int>>*>(found);
  EnumResourceNamesW(module, type, addName, reinterpret_cast<LONG_PTR>(&all[resourceNumber(type)]));
  return TRUE;
}

// Every resource as type number -> its names' numbers (named resources count as -1).
std::map<int, std::set<int>> allResources(HMODULE module) {
  std::map<int, std::set<int>> found;
  EnumResourceTypesW(module, addType, reinterpret_cast<LONG_PTR>(&found));
  return found;
}

TEST(InstallerResources, AreExactlyTheIconGroupTheIconTheVersionAndTheManifest) {
  ResourceModule installer;
  ASSERT_NE(installer.get(), nullptr) << "tarvik_installer.exe beside the tests";
  const std::map<int, std::set<int>> expected{
      {3, {30001}},  // RT_ICON
      {14, {1}},     // RT_GROUP_ICON
      {16, {1}},     // RT_VERSION
      {24, {1}},     // RT_MANIFEST
  };
  EXPECT_EQ(allResources(installer.get()), expected);
}

TEST(InstallerResources, IconGroupOneHoldsOne32By32SixteenColourIconNumbered30001) {
  ResourceModule installer;
  const std::vector<unsigned char> group = installer.bytes(RT_GROUP_ICON, MAKEINTRESOURCEW(1));
  ASSERT_EQ(group.size(), 6u + 14u);
  auto word = [&](std::size_t at) { return group[at] | (group[at + 1] << 8); };
  EXPECT_EQ(word(2), 1) << "an icon group";
  EXPECT_EQ(word(4), 1) << "one image";
  EXPECT_EQ(group[6], 32);
  EXPECT_EQ(group[7], 32);
  EXPECT_EQ(group[8], 16) << "16 colours";
  EXPECT_EQ(word(12), 4) << "4 bits per pixel";
  EXPECT_EQ(word(18), 30001);

  const std::vector<unsigned char> image = installer.bytes(RT_ICON, MAKEINTRESOURCEW(30001));
  ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
  BITMAPINFOHEADER header{};
  std::memcpy(&header, image.data(), sizeof(header));
  EXPECT_EQ(header.biWidth, 32);
  EXPECT_EQ(header.biHeight, 64) << "colour bits and mask";
  EXPECT_EQ(header.biBitCount, 4);
  EXPECT_EQ(image.size(), 40u + 16 * 4 + 32 * 16 + 32 * 4);
  EXPECT_EQ(group[14] | (group[15] << 8) | (group[16] << 16) | (group[17] << 24),
            static_cast<int>(image.size()));

  const HICON icon =
      CreateIconFromResourceEx(const_cast<unsigned char*>(image.data()),
                               static_cast<DWORD>(image.size()), TRUE, 0x00030000, 32, 32, 0);
  EXPECT_NE(icon, nullptr) << "Windows can make an icon of it";
  if (icon) DestroyIcon(icon);
}

std::wstring versionString(const std::vector<unsigned char>& info, const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = L"\\StringFileInfo\\040904B0\\" + name;
  if (!VerQueryValueW(info.data(), query.c_str(), &value, &length) || !value) return L"<missing>";
  return static_cast<const wchar_t*>(value);
}

TEST(InstallerResources, VersionInformationNamesTheProduct) {
  const std::wstring file = installerFile();
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<unsigned char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  const WORD version[] = {TARVIK_PRODUCT_VERSION_NUMBERS};
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(version[1], version[0]));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(version[3], version[2]));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  // What the file's properties and the download warnings show.
  EXPECT_EQ(versionString(info, L"CompanyName"), L"" TARVIK_PRODUCT_COMPANY);
  EXPECT_EQ(versionString(info, L"FileDescription"), L"" TARVIK_PRODUCT_DESCRIPTION);
  EXPECT_EQ(versionString(info, L"ProductName"), L"" TARVIK_PRODUCT_NAME);
  EXPECT_EQ(versionString(info, L"FileVersion"), L"" TARVIK_PRODUCT_VERSION);
  EXPECT_EQ(versionString(info, L"ProductVersion"), L"" TARVIK_PRODUCT_VERSION);
  EXPECT_EQ(versionString(info, L"InternalName"), L"tarvik_installer");
  EXPECT_EQ(versionString(info, L"OriginalFilename"), L"tarvik_installer.exe");

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 0x04B0);
}

TEST(InstallerResources, ManifestAsksForCommonControls6DpiAwarenessLongPathsAndCallersRights) {
  ResourceModule installer;
  const std::vector<unsigned char> bytes = installer.bytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
  const std::string manifest(bytes.begin(), bytes.end());
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos) << "system awareness, before";
  EXPECT_NE(manifest.find(">PerMonitorV2, System</dpiAwareness>"), std::string::npos);
  EXPECT_NE(manifest.find(">true</longPathAware>"), std::string::npos);
}

}  // namespace
}  // namespace tarvik::testing
