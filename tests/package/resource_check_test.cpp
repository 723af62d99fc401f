// The check of the installer program's resources: exactly the icon, the icon group, the version
// information and the manifest, each as the program must carry it.

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "package/pe_image.h"
#include "package/resource_check.h"
#include "tests/package/resource_builders.h"

namespace tarvik::package {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::buildIconGroup;
using testing::buildIconImage;
using testing::buildVersionInfo;
using testing::IconShape;
using testing::installerResources;
using testing::installerVersion;
using testing::resource;
using testing::VersionFields;

PeResource& find(std::vector<PeResource>& resources, uint16_t type) {
  for (PeResource& found : resources)
    if (found.type.is(type)) return found;
  throw std::logic_error("no such resource");
}

std::vector<std::string> checkWithVersion(const VersionFields& fields) {
  std::vector<PeResource> resources = installerResources();
  find(resources, resource_type::kVersion).data = buildVersionInfo(fields);
  return checkInstallerResources(resources);
}

TEST(ResourceCheck, TheInstallersResourcesPassAlsoWhenReadBackFromAProgram) {
  EXPECT_THAT(checkInstallerResources(installerResources()), ElementsAre());
  const PeImage program(testing::buildProgram(installerResources()));
  EXPECT_THAT(checkInstallerResources(readResources(program)), ElementsAre());
}

TEST(ResourceCheck, NamesMissingAndUnexpectedResources) {
  std::vector<PeResource> resources = installerResources();
  resources.erase(resources.begin() + 3);  // the manifest
  resources.push_back(resource(6, 1, "a string table"));
  PeResource banner = resource(1, 1, "gif", 0);
  banner.type = ResourceName{0, "BANNER", true};
  resources.push_back(banner);
  EXPECT_THAT(checkInstallerResources(resources),
              ElementsAre(HasSubstr("missing the manifest"),
                          HasSubstr("unexpected resource: type #6 name #1 language 0x0409"),
                          HasSubstr("unexpected resource: type BANNER name #1")));
}

TEST(ResourceCheck, ARecordInTwoLanguagesIsOneTooMany) {
  std::vector<PeResource> resources = installerResources();
  resources.push_back(resource(resource_type::kVersion, 1, buildVersionInfo(installerVersion()),
                               0x0413));
  EXPECT_THAT(checkInstallerResources(resources),
              ElementsAre(HasSubstr("version information is present in 2 languages")));
}

TEST(ResourceCheck, TheIconMustBeOne32By32ImageOf16Colours) {
  const auto withIcon = [](const std::vector<IconShape>& group, const IconShape& image) {
    std::vector<PeResource> resources = installerResources();
    find(resources, resource_type::kGroupIcon).data = buildIconGroup(group);
    find(resources, resource_type::kIcon).data = buildIconImage(image);
    return checkInstallerResources(resources);
  };
  const IconShape big{48, 48, 16, 4, 30001};
  EXPECT_THAT(withIcon({big}, big),
              ElementsAre(HasSubstr("48 x 48 pixels instead of 32 x 32"),
                          HasSubstr("icon image 30001 is 48 x 48 pixels at 4 bits")));
  const IconShape manyColours{32, 32, 0, 8, 30001};
  EXPECT_THAT(withIcon({manyColours}, manyColours),
              ElementsAre(HasSubstr("0 colours at 8 bits instead of 16 at 4"),
                          HasSubstr("32 x 32 pixels at 8 bits")));
  EXPECT_THAT(withIcon({IconShape{32, 32, 16, 4, 1}}, IconShape{}),
              ElementsAre(HasSubstr("names image 1 instead of 30001")));
  EXPECT_THAT(withIcon({IconShape{}, IconShape{16, 16, 16, 4, 30002}}, IconShape{}),
              ElementsAre(HasSubstr("lists 2 images instead of one")));
  EXPECT_THAT(withIcon({IconShape{}}, IconShape{32, 32, 16, 4, 30001}), ElementsAre());

  std::vector<PeResource> resources = installerResources();
  find(resources, resource_type::kIcon).data += "more";
  EXPECT_THAT(checkInstallerResources(resources),
              ElementsAre(HasSubstr("gives image 30001 744 bytes; it has 748")));
  find(resources, resource_type::kGroupIcon).data = "junk";
  find(resources, resource_type::kIcon).data = "junk";
  EXPECT_THAT(checkInstallerResources(resources),
              ElementsAre(HasSubstr("icon group: "), HasSubstr("icon image 30001: ")));
}

TEST(ResourceCheck, TheVersionNumbersOperatingSystemAndFileTypeAreFixed) {
  VersionFields fields = installerVersion();
  fields.fileVersionLow = 0x00070009;  // x.y.7.9
  fields.fileOs = 0x40004;  // Windows NT
  fields.fileType = 2;      // a library
  EXPECT_THAT(checkWithVersion(fields),
              ElementsAre(HasSubstr(".7.9 instead of " TARVIK_PRODUCT_VERSION),
                          HasSubstr("product version "),
                          HasSubstr("operating system 262148 instead of 32-bit Windows"),
                          HasSubstr("file type 2 instead of application")));
}

TEST(ResourceCheck, TheVersionStringsAreExactlyTheSevenWithTheirTexts) {
  VersionFields fields = installerVersion();
  ASSERT_EQ(fields.strings[2].first, "ProductName");
  fields.strings[2].second = "Tarvik installer";
  fields.strings.erase(fields.strings.begin());  // CompanyName
  fields.strings.push_back({"LegalCopyright", "(c)"});
  EXPECT_THAT(checkWithVersion(fields),
              ElementsAre(HasSubstr("CompanyName is missing"),
                          HasSubstr("ProductName is \"Tarvik installer\" instead of "
                                    "\"" TARVIK_PRODUCT_NAME "\""),
                          HasSubstr("unexpected version string LegalCopyright")));
}

TEST(ResourceCheck, TheStringTableAndTranslationAreForUsEnglishInUnicode) {
  VersionFields fields = installerVersion();
  fields.tableKey = "040904b0";  // the key's letter case does not matter
  EXPECT_THAT(checkWithVersion(fields), ElementsAre());
  fields.tableKey = "041304B0";
  fields.translations = {{0x0409, 0x04E4}};
  EXPECT_THAT(checkWithVersion(fields),
              ElementsAre(HasSubstr("for 041304B0 instead of 040904B0"),
                          HasSubstr("translation entries are not exactly 0x0409, 0x04B0")));
  fields = installerVersion();
  fields.translations.push_back({0x0413, 0x04B0});
  EXPECT_THAT(checkWithVersion(fields), ElementsAre(HasSubstr("translation entries")));
}

TEST(ResourceCheck, DamagedVersionInformationAndManifestAreFindings) {
  std::vector<PeResource> resources = installerResources();
  find(resources, resource_type::kVersion).data = "VS";
  find(resources, resource_type::kManifest).data = "<?xml version=\"1.0\"?>";
  EXPECT_THAT(checkInstallerResources(resources),
              ElementsAre(HasSubstr("version information: "),
                          HasSubstr("manifest holds no <assembly> element")));
}

}  // namespace
}  // namespace tarvik::package
