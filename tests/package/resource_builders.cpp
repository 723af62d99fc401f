#include "tests/package/resource_builders.h"

#include "package/pe_image.h"
#include "package/resource_check.h"
#include "package/utf16.h"
#include "package/zip_layout.h"

namespace tarvik::package::testing {
namespace {

struct NameGroup {
  ResourceName name;
  std::vector<const PeResource*> languages;
};

struct TypeGroup {
  ResourceName type;
  std::vector<NameGroup> names;
};

template <typename Group, typename Key>
Group& groupFor(std::vector<Group>& groups, const Key& key, ResourceName Group::*field) {
  for (Group& group : groups)
    if (group.*field == key) return group;
  groups.push_back({});
  groups.back().*field = key;
  return groups.back();
}

void padTo(std::string& bytes, size_t alignment) {
  while (bytes.size() % alignment) bytes.push_back('\0');
}

void putDirectoryHeader(std::string& out, size_t named, size_t numbered) {
  putU32(out, 0);  // characteristics
  putU32(out, 0);  // time stamp
  putU32(out, 0);  // version
  putU16(out, static_cast<uint16_t>(named));
  putU16(out, static_cast<uint16_t>(numbered));
}

size_t namedCount(const std::vector<ResourceName>& names) {
  size_t count = 0;
  for (const ResourceName& name : names) count += name.isText;
  return count;
}

// Builds the resource section: all directories, then the data entries, then the name texts,
// then the data.
std::string buildResourceSection(const std::vector<PeResource>& resources) {
  std::vector<TypeGroup> types;
  for (const PeResource& resource : resources) {
    TypeGroup& type = groupFor(types, resource.type, &TypeGroup::type);
    groupFor(type.names, resource.name, &NameGroup::name).languages.push_back(&resource);
  }

  // Offsets of every directory, data entry, name text and data block.
  uint32_t next = 16 + 8 * static_cast<uint32_t>(types.size());
  std::vector<uint32_t> typeDirectories, nameDirectories;
  for (const TypeGroup& type : types) {
    typeDirectories.push_back(next);
    next += 16 + 8 * static_cast<uint32_t>(type.names.size());
  }
  for (const TypeGroup& type : types)
    for (const NameGroup& name : type.names) {
      nameDirectories.push_back(next);
      next += 16 + 8 * static_cast<uint32_t>(name.languages.size());
    }
  const uint32_t dataEntries = next;
  next += 16 * static_cast<uint32_t>(resources.size());
  std::string texts;
  const auto textOffset = [&](const ResourceName& name) {
    const uint32_t at = next + static_cast<uint32_t>(texts.size());
    const std::string utf16 = utf8ToUtf16(name.text);
    putU16(texts, static_cast<uint16_t>(utf16.size() / 2));
    texts += utf16;
    return at;
  };
  const auto nameField = [&](const ResourceName& name) {
    return name.isText ? 0x80000000u | textOffset(name) : uint32_t{name.id};
  };

  std::string section;
  std::vector<ResourceName> typeNames;
  for (const TypeGroup& type : types) typeNames.push_back(type.type);
  putDirectoryHeader(section, namedCount(typeNames), types.size() - namedCount(typeNames));
  for (size_t t = 0; t < types.size(); ++t) {
    putU32(section, nameField(types[t].type));
    putU32(section, 0x80000000u | typeDirectories[t]);
  }
  size_t nameIndex = 0;
  for (const TypeGroup& type : types) {
    std::vector<ResourceName> names;
    for (const NameGroup& name : type.names) names.push_back(name.name);
    putDirectoryHeader(section, namedCount(names), names.size() - namedCount(names));
    for (size_t n = 0; n < names.size(); ++n) {
      putU32(section, nameField(names[n]));
      putU32(section, 0x80000000u | nameDirectories[nameIndex + n]);
    }
    nameIndex += names.size();
  }
  uint32_t entryIndex = 0;
  std::vector<const PeResource*> order;
  for (const TypeGroup& type : types)
    for (const NameGroup& name : type.names) {
      putDirectoryHeader(section, 0, name.languages.size());
      for (const PeResource* language : name.languages) {
        putU32(section, language->language);
        putU32(section, dataEntries + 16 * entryIndex++);
        order.push_back(language);
      }
    }
  // Data entries point to data placed after the texts, each block on an 8-byte boundary.
  uint32_t dataAt = next + static_cast<uint32_t>(texts.size());
  std::string data;
  for (const PeResource* resource : order) {
    dataAt = (dataAt + 7) & ~7u;
    padTo(data, 8);
    putU32(section, kResourceAddress + dataAt);
    putU32(section, static_cast<uint32_t>(resource->data.size()));
    putU32(section, resource->codePage);
    putU32(section, 0);
    data += resource->data;
    dataAt += static_cast<uint32_t>(resource->data.size());
  }
  section += texts;
  padTo(section, 8);
  section += data;
  return section;
}

}  // namespace

// An export table for the names (each of one function), at address in the section.
std::string buildExportTable(const std::vector<std::string>& names, uint32_t address) {
  const uint32_t count = static_cast<uint32_t>(names.size());
  const uint32_t functions = address + 40;
  const uint32_t nameTable = functions + 4 * count;
  const uint32_t ordinals = nameTable + 4 * count;
  const uint32_t text = ordinals + 2 * count;
  std::string table;
  // Characteristics, time stamp, version, the library's name, the first ordinal, the counts
  // of functions and names, and the addresses of their tables.
  for (const uint32_t field : {0u, 0u, 0u, 0u, 1u, count, count, functions, nameTable, ordinals})
    putU32(table, field);
  std::string strings;
  for (uint32_t i = 0; i < count; ++i) putU32(table, kResourceAddress);
  for (const std::string& name : names) {
    putU32(table, text + static_cast<uint32_t>(strings.size()));
    strings += name + '\0';
  }
  for (uint32_t i = 0; i < count; ++i) putU16(table, static_cast<uint16_t>(i));
  return table + strings;
}

std::string buildProgram(const std::vector<PeResource>& resources, bool pe32Plus,
                         const std::vector<std::string>& imports,
                         const std::vector<std::string>& exports) {
  std::string section = buildResourceSection(resources);
  // The import table behind the resources: one descriptor per DLL and an empty one, then names.
  padTo(section, 4);
  const uint32_t importTable = kResourceAddress + static_cast<uint32_t>(section.size());
  const uint32_t importTableSize = static_cast<uint32_t>(20 * (imports.size() + 1));
  std::string names;
  for (const std::string& name : imports) {
    std::string descriptor(12, '\0');
    putU32(descriptor, importTable + importTableSize + static_cast<uint32_t>(names.size()));
    putU32(descriptor, 0);
    section += descriptor;
    names += name + '\0';
  }
  section += std::string(20, '\0') + names;
  padTo(section, 4);
  const uint32_t exportTable = kResourceAddress + static_cast<uint32_t>(section.size());
  if (!exports.empty()) section += buildExportTable(exports, exportTable);
  const uint32_t rawSize = (static_cast<uint32_t>(section.size()) + 0x1FF) & ~0x1FFu;
  const uint16_t optionalSize = pe32Plus ? 240 : 224;

  std::string file(0x40, '\0');
  file[0] = 'M';
  file[1] = 'Z';
  file[0x3C] = 0x40;
  file += std::string("PE\0\0", 4);
  putU16(file, pe32Plus ? 0x8664 : 0x014C);  // machine
  putU16(file, 1);                           // sections
  putU32(file, 0);                           // time stamp
  putU32(file, 0);                           // symbol table
  putU32(file, 0);                           // symbols
  putU16(file, optionalSize);
  putU16(file, 0x0022);  // executable, large addresses

  std::string optional(optionalSize, '\0');
  optional.replace(0, 2, pe32Plus ? std::string("\x0B\x02", 2) : std::string("\x0B\x01", 2));
  const auto put32At = [&optional](size_t at, uint32_t value) {
    std::string bytes;
    putU32(bytes, value);
    optional.replace(at, 4, bytes);
  };
  put32At(56, kResourceAddress + rawSize);  // size of image
  put32At(60, kResourceFilePosition);       // size of headers
  put32At(64, 0);                           // checksum, set below
  const size_t directories = pe32Plus ? 108 : 92;
  put32At(directories, 16);
  if (!exports.empty()) {
    put32At(directories + 4, exportTable);
    put32At(directories + 4 + 4, kResourceAddress + static_cast<uint32_t>(section.size()) -
                                     exportTable);
  }
  if (!imports.empty()) {
    put32At(directories + 4 + 8 * 1, importTable);
    put32At(directories + 4 + 8 * 1 + 4, importTableSize);
  }
  put32At(directories + 4 + 8 * 2, kResourceAddress);
  put32At(directories + 4 + 8 * 2 + 4, static_cast<uint32_t>(section.size()));
  file += optional;

  std::string header(".rsrc\0\0\0", 8);
  putU32(header, static_cast<uint32_t>(section.size()));  // virtual size
  putU32(header, kResourceAddress);
  putU32(header, rawSize);
  putU32(header, kResourceFilePosition);
  header += std::string(16, '\0');
  file += header;
  file.resize(kResourceFilePosition, '\0');
  file += section;
  file.resize(kResourceFilePosition + rawSize, '\0');
  std::string checksum;
  putU32(checksum, PeImage(file).computedChecksum());
  file.replace(kChecksumPosition, 4, checksum);
  return file;
}

std::string buildVersionBlock(const VersionBlockParts& block) {
  std::string out(6, '\0');
  out += utf8ToUtf16(block.key);
  putU16(out, 0);
  padTo(out, 4);
  out += block.value;
  for (const VersionBlockParts& child : block.children) {
    padTo(out, 4);
    out += buildVersionBlock(child);
  }
  std::string header;
  putU16(header, static_cast<uint16_t>(out.size()));
  putU16(header, static_cast<uint16_t>(block.type == 1 ? block.value.size() / 2
                                                       : block.value.size()));
  putU16(header, block.type);
  out.replace(0, 6, header);
  return out;
}

std::string fixedVersionInfo(uint32_t fileVersionHigh, uint32_t fileVersionLow, uint32_t fileOs,
                             uint32_t fileType) {
  std::string out;
  for (const uint32_t word :
       {0xFEEF04BDu, 0x00010000u, fileVersionHigh, fileVersionLow, fileVersionHigh,
        fileVersionLow, 0u, 0u, fileOs, fileType, 0u, 0u, 0u})
    putU32(out, word);
  return out;
}

std::string textValue(std::string_view text) {
  std::string value = utf8ToUtf16(text);
  putU16(value, 0);
  return value;
}

VersionFields installerVersion() {
  VersionFields fields;
  const auto& version = installer_resources::kVersion;
  fields.fileVersionHigh = uint32_t{version[0]} << 16 | version[1];
  fields.fileVersionLow = uint32_t{version[2]} << 16 | version[3];
  for (const auto& [name, value] : installer_resources::kStrings)
    fields.strings.emplace_back(name, value);
  fields.translations = {{0x0409, 0x04B0}};
  return fields;
}

std::string buildVersionInfo(const VersionFields& fields) {
  VersionBlockParts table{fields.tableKey, 1, {}, {}};
  for (const auto& [name, value] : fields.strings)
    table.children.push_back({name, 1, textValue(value), {}});
  std::string translations;
  for (const auto& [language, codePage] : fields.translations) {
    putU16(translations, language);
    putU16(translations, codePage);
  }
  const VersionBlockParts root{
      "VS_VERSION_INFO",
      0,
      fixedVersionInfo(fields.fileVersionHigh, fields.fileVersionLow, fields.fileOs, fields.fileType),
      {{"StringFileInfo", 1, {}, {table}},
       {"VarFileInfo", 1, {}, {{"Translation", 0, translations, {}}}}}};
  return buildVersionBlock(root);
}

std::string buildIconImage(const IconShape& fields) {
  std::string out;
  putU32(out, 40);
  putU32(out, static_cast<uint32_t>(fields.width));
  putU32(out, static_cast<uint32_t>(2 * fields.height));
  putU16(out, 1);
  putU16(out, fields.bitCount);
  out += std::string(24, '\0');
  out += std::string(4 * (fields.bitCount <= 8 ? size_t{1} << fields.bitCount : 0), '\x40');
  const size_t rowBytes = (size_t(fields.width) * fields.bitCount + 31) / 32 * 4;
  const size_t maskBytes = (size_t(fields.width) + 31) / 32 * 4;
  out += std::string(rowBytes * fields.height, '\x12');
  out += std::string(maskBytes * fields.height, '\0');
  return out;
}

std::string buildIconGroup(const std::vector<IconShape>& images) {
  std::string out;
  putU16(out, 0);
  putU16(out, 1);
  putU16(out, static_cast<uint16_t>(images.size()));
  for (const IconShape& image : images) {
    out.push_back(static_cast<char>(image.width & 0xFF));
    out.push_back(static_cast<char>(image.height & 0xFF));
    out.push_back(static_cast<char>(image.colours & 0xFF));
    out.push_back('\0');
    putU16(out, 1);
    putU16(out, image.bitCount);
    putU32(out, static_cast<uint32_t>(buildIconImage(image).size()));
    putU16(out, image.iconId);
  }
  return out;
}

PeResource resource(uint16_t type, uint16_t name, std::string data, uint16_t language) {
  return {ResourceName::number(type), ResourceName::number(name), language, 0, std::move(data)};
}

std::vector<PeResource> installerResources() {
  return {resource(resource_type::kIcon, 30001, buildIconImage({})),
          resource(resource_type::kGroupIcon, 1, buildIconGroup({IconShape{}})),
          resource(resource_type::kVersion, 1, buildVersionInfo(installerVersion())),
          resource(resource_type::kManifest, 1, std::string(kManifest))};
}

}  // namespace tarvik::package::testing
