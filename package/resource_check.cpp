#include "package/resource_check.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "package/icon_resources.h"
#include "package/version_info.h"

namespace tarvik::package {
namespace {

namespace expected = installer_resources;

struct Wanted {
  uint16_t type;
  uint16_t name;
  const char* what;
};

constexpr Wanted kWanted[] = {
    {resource_type::kIcon, expected::kIconId, "the icon image"},
    {resource_type::kGroupIcon, expected::kIconGroupId, "the icon group"},
    {resource_type::kVersion, expected::kVersionId, "the version information"},
    {resource_type::kManifest, expected::kManifestId, "the manifest"},
};

std::string describe(const PeResource& resource) {
  char language[16];
  std::snprintf(language, sizeof language, "0x%04X", resource.language);
  return "type " + resource.type.display() + " name " + resource.name.display() + " language " +
         language;
}

std::string versionText(const std::array<uint16_t, 4>& version) {
  return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
         std::to_string(version[2]) + "." + std::to_string(version[3]);
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

class ResourceCheck {
 public:
  explicit ResourceCheck(const std::vector<PeResource>& resources) : resources_(resources) {}

  std::vector<std::string> run() {
    checkInventory();
    if (const PeResource* group = find(resource_type::kGroupIcon, expected::kIconGroupId))
      checkIconGroup(*group, find(resource_type::kIcon, expected::kIconId));
    if (const PeResource* icon = find(resource_type::kIcon, expected::kIconId)) checkIcon(*icon);
    if (const PeResource* version = find(resource_type::kVersion, expected::kVersionId))
      checkVersion(*version);
    if (const PeResource* manifest = find(resource_type::kManifest, expected::kManifestId))
      checkManifest(*manifest);
    return std::move(problems_);
  }

 private:
  const PeResource* find(uint16_t type, uint16_t name) const {
    for (const PeResource& resource : resources_)
      if (resource.type.is(type) && resource.name.is(name)) return &resource;
    return nullptr;
  }

  void problem(std::string text) { problems_.push_back(std::move(text)); }

  // Exactly one of each wanted resource, in one language, and nothing else.
  void checkInventory() {
    for (const Wanted& wanted : kWanted) {
      const auto count = std::count_if(resources_.begin(), resources_.end(), [&](const auto& r) {
        return r.type.is(wanted.type) && r.name.is(wanted.name);
      });
      if (count == 0)
        problem(std::string("missing ") + wanted.what + " (type #" + std::to_string(wanted.type) +
                " name #" + std::to_string(wanted.name) + ")");
      else if (count > 1)
        problem(std::string(wanted.what) + " is present in " + std::to_string(count) +
                " languages");
    }
    for (const PeResource& resource : resources_) {
      const bool isWanted = std::any_of(std::begin(kWanted), std::end(kWanted), [&](auto& w) {
        return resource.type.is(w.type) && resource.name.is(w.name);
      });
      if (!isWanted) problem("an unexpected resource: " + describe(resource));
    }
  }

  void checkIconGroup(const PeResource& group, const PeResource* icon) {
    std::vector<IconGroupEntry> entries;
    try {
      entries = parseIconGroup(group.data);
    } catch (const IconFormatError& error) {
      return problem(std::string("icon group: ") + error.what());
    }
    if (entries.size() != 1)
      return problem("the icon group lists " + std::to_string(entries.size()) +
                     " images instead of one");
    const IconGroupEntry& entry = entries.front();
    if (entry.width != expected::kIconSide || entry.height != expected::kIconSide)
      problem("the icon group's image is " + std::to_string(entry.width) + " x " +
              std::to_string(entry.height) + " pixels instead of 32 x 32");
    if (entry.colourCount != expected::kIconColours || entry.bitCount != expected::kIconBitCount)
      problem("the icon group's image has " + std::to_string(entry.colourCount) +
              " colours at " + std::to_string(entry.bitCount) + " bits instead of 16 at 4");
    if (entry.iconId != expected::kIconId)
      problem("the icon group names image " + std::to_string(entry.iconId) +
              " instead of 30001");
    if (icon && entry.bytesInResource != icon->data.size())
      problem("the icon group gives image 30001 " + std::to_string(entry.bytesInResource) +
              " bytes; it has " + std::to_string(icon->data.size()));
  }

  void checkIcon(const PeResource& icon) {
    try {
      const IconImageHeader header = parseIconImage(icon.data);
      if (header.width != expected::kIconSide || header.height != 2 * expected::kIconSide ||
          header.bitCount != expected::kIconBitCount)
        problem("icon image 30001 is " + std::to_string(header.width) + " x " +
                std::to_string(header.height / 2) + " pixels at " +
                std::to_string(header.bitCount) + " bits instead of 32 x 32 at 4");
    } catch (const IconFormatError& error) {
      problem(std::string("icon image 30001: ") + error.what());
    }
  }

  void checkVersion(const PeResource& resource) {
    VersionInfo info;
    try {
      info = parseVersionInfo(resource.data);
    } catch (const VersionInfoError& error) {
      return problem(std::string("version information: ") + error.what());
    }
    checkFixedVersion(info.fixed);
    checkVersionStrings(info);
    const std::pair<uint16_t, uint16_t> translation{expected::kLanguage, expected::kCodePage};
    if (info.translations != std::vector{translation})
      problem("the translation entries are not exactly 0x0409, 0x04B0");
    for (const std::string& block : info.otherBlocks)
      problem("an unexpected version block " + block);
  }

  void checkFixedVersion(const FixedVersionInfo& fixed) {
    if (fixed.fileVersion != expected::kVersion)
      problem("file version " + versionText(fixed.fileVersion) + " instead of " +
              versionText(expected::kVersion));
    if (fixed.productVersion != expected::kVersion)
      problem("product version " + versionText(fixed.productVersion) + " instead of " +
              versionText(expected::kVersion));
    if (fixed.fileOs != version_fixed::kOsWindows32)
      problem("operating system " + std::to_string(fixed.fileOs) + " instead of 32-bit Windows");
    if (fixed.fileType != version_fixed::kTypeApplication)
      problem("file type " + std::to_string(fixed.fileType) + " instead of application");
  }

  void checkVersionStrings(const VersionInfo& info) {
    if (info.stringTables.size() != 1)
      return problem(std::to_string(info.stringTables.size()) +
                     " version string tables instead of one");
    const VersionStringTable& table = info.stringTables.front();
    if (!equalIgnoringCase(table.key, expected::kStringTable))
      problem("the version string table is for " + table.key + " instead of 040904B0");
    for (const auto& [name, value] : expected::kStrings) {
      const std::string* found = table.find(name);
      if (!found)
        problem("the version string " + std::string(name) + " is missing");
      else if (*found != value)
        problem("the version string " + std::string(name) + " is \"" + *found +
                "\" instead of \"" + std::string(value) + "\"");
    }
    for (const auto& [name, value] : table.strings) {
      const bool isExpected = std::any_of(expected::kStrings.begin(), expected::kStrings.end(),
                                          [&](const auto& wanted) { return wanted.first == name; });
      if (!isExpected) problem("an unexpected version string " + name + " = \"" + value + "\"");
    }
  }

  void checkManifest(const PeResource& manifest) {
    if (manifest.data.find("<assembly") == std::string::npos)
      problem("the manifest holds no <assembly> element");
  }

  const std::vector<PeResource>& resources_;
  std::vector<std::string> problems_;
};

}  // namespace

std::vector<std::string> checkInstallerResources(const std::vector<PeResource>& resources) {
  return ResourceCheck(resources).run();
}

}  // namespace tarvik::package
