// The version information reader, on blocks built byte by byte.

#include <gtest/gtest.h>

#include <string>

#include "package/resource_check.h"
#include "package/version_info.h"
#include "package/zip_layout.h"
#include "tests/package/resource_builders.h"

namespace tarvik::package {
namespace {

using testing::buildVersionBlock;
using testing::buildVersionInfo;
using testing::fixedVersionInfo;
using testing::installerVersion;
using testing::textValue;
using testing::VersionBlockParts;

TEST(VersionInfo, ReadsTheFixedPartTheStringTableAndTheTranslation) {
  const VersionInfo info = parseVersionInfo(buildVersionInfo(installerVersion()));
  EXPECT_EQ(info.fixed.signature, version_fixed::kSignature);
  EXPECT_EQ(info.fixed.fileVersion, installer_resources::kVersion);
  EXPECT_EQ(info.fixed.productVersion, installer_resources::kVersion);
  EXPECT_EQ(info.fixed.fileOs, version_fixed::kOsWindows32);
  EXPECT_EQ(info.fixed.fileType, version_fixed::kTypeApplication);
  ASSERT_EQ(info.stringTables.size(), 1u);
  const VersionStringTable& table = info.stringTables[0];
  EXPECT_EQ(table.key, "040904B0");
  ASSERT_EQ(table.strings.size(), 7u);
  EXPECT_EQ(table.strings[0],
            (std::pair<std::string, std::string>{"CompanyName", TARVIK_PRODUCT_COMPANY}));
  ASSERT_NE(table.find("OriginalFilename"), nullptr);
  EXPECT_EQ(*table.find("OriginalFilename"), "tarvik_installer.exe");
  EXPECT_EQ(table.find("LegalCopyright"), nullptr);
  EXPECT_EQ(info.translations, (std::vector<std::pair<uint16_t, uint16_t>>{{0x0409, 0x04B0}}));
  EXPECT_TRUE(info.otherBlocks.empty());
}

TEST(VersionInfo, ReadsVersionNumbersFieldByField) {
  testing::VersionFields fields = installerVersion();
  fields.fileVersionHigh = 0x00020003;
  fields.fileVersionLow = 0x00040005;
  const VersionInfo info = parseVersionInfo(buildVersionInfo(fields));
  EXPECT_EQ(info.fixed.fileVersion, (std::array<uint16_t, 4>{2, 3, 4, 5}));
}

TEST(VersionInfo, KeepsUnexpectedBlocksAndSeveralTranslations) {
  std::string translations;
  for (const uint16_t value : {0x0409, 0x04B0, 0x0413, 0x04E4}) putU16(translations, value);
  const VersionBlockParts root{"VS_VERSION_INFO",
                              0,
                              fixedVersionInfo(0x00010000, 0),
                              {{"VarFileInfo", 1, {}, {{"Translation", 0, translations, {}}}},
                               {"Extra", 1, textValue("x"), {}}}};
  const VersionInfo info = parseVersionInfo(buildVersionBlock(root));
  EXPECT_EQ(info.translations, (std::vector<std::pair<uint16_t, uint16_t>>{
                                   {0x0409, 0x04B0}, {0x0413, 0x04E4}}));
  EXPECT_EQ(info.otherBlocks, std::vector<std::string>{"Extra"});
  EXPECT_TRUE(info.stringTables.empty());
}

TEST(VersionInfo, ATextLengthThatOvershootsItsBlockIsReadUpToTheBlockEnd) {
  std::string bytes = buildVersionInfo(installerVersion());
  const std::string key = testing::textValue("ProductName");
  const size_t block = bytes.find(key) - 6;
  std::string claimed;
  putU16(claimed, 200);  // units; the block holds far fewer
  bytes.replace(block + 2, 2, claimed);
  const VersionInfo info = parseVersionInfo(bytes);
  ASSERT_EQ(info.stringTables.size(), 1u);
  ASSERT_NE(info.stringTables[0].find("ProductName"), nullptr);
  EXPECT_EQ(*info.stringTables[0].find("ProductName"), TARVIK_PRODUCT_NAME);
  ASSERT_NE(info.stringTables[0].find("FileVersion"), nullptr);
  EXPECT_EQ(*info.stringTables[0].find("FileVersion"), TARVIK_PRODUCT_VERSION);
}

TEST(VersionInfo, RefusesBlocksThatDoNotHoldTogether) {
  const std::string good = buildVersionInfo(installerVersion());
  EXPECT_THROW(parseVersionInfo(""), VersionInfoError);
  EXPECT_THROW(parseVersionInfo(good.substr(0, good.size() - 2)), VersionInfoError);

  std::string wrongSignature = good;
  wrongSignature[40] = 0;  // the fixed part starts after the 6-byte header and the padded key
  EXPECT_THROW(parseVersionInfo(wrongSignature), VersionInfoError);

  const VersionBlockParts otherRoot{"VS_VERSION", 0, fixedVersionInfo(0x00010000, 0), {}};
  EXPECT_THROW(parseVersionInfo(buildVersionBlock(otherRoot)), VersionInfoError);

  const VersionBlockParts noFixedPart{"VS_VERSION_INFO", 0, {}, {}};
  EXPECT_THROW(parseVersionInfo(buildVersionBlock(noFixedPart)), VersionInfoError);

  std::string tooShortLength = good;
  tooShortLength[0] = 4;
  tooShortLength[1] = 0;
  EXPECT_THROW(parseVersionInfo(tooShortLength), VersionInfoError);
}

TEST(VersionInfo, EveryDamagedByteIsReadOrRefusedWithoutStrayReads) {
  const std::string good = buildVersionInfo(installerVersion());
  for (size_t at = 0; at < good.size(); ++at) {
    for (const char value : {'\xFF', '\x00', '\x07'}) {
      std::string damaged = good;
      damaged[at] = value;
      try {
        const VersionInfo info = parseVersionInfo(damaged);
        for (const auto& table : info.stringTables)
          for (const auto& [name, text] : table.strings) EXPECT_LE(text.size(), good.size());
      } catch (const VersionInfoError&) {
      }
    }
  }
}

}  // namespace
}  // namespace tarvik::package
