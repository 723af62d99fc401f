#include "package/version_info.h"

#include "package/utf16.h"
#include "package/zip_layout.h"

namespace tarvik::package {
namespace {

constexpr size_t kBlockHeaderSize = 6;  // length, value length, type
constexpr size_t kFixedInfoSize = 52;
constexpr uint16_t kTextValue = 1;
constexpr int kMaxDepth = 4;  // root, file info, table, string

// A block of the version resource: a key, a value and child blocks, each starting on a 32-bit
// boundary of the resource.
struct Block {
  std::string key;
  uint16_t type = 0;
  std::string_view value;
  std::vector<Block> children;
};

size_t align4(size_t at) { return (at + 3) & ~size_t{3}; }

std::string textValue(std::string_view utf16) {
  std::string_view text = utf16;
  for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
    if (getU16(utf16, i) == 0) {
      text = utf16.substr(0, i);
      break;
    }
  }
  return utf16ToUtf8(text);
}

Block parseBlock(std::string_view data, size_t at, size_t& blockEnd, int depth) {
  if (depth > kMaxDepth) throw VersionInfoError("version blocks nested too deep");
  if (data.size() - at < kBlockHeaderSize)
    throw VersionInfoError("a version block header cut short at " + std::to_string(at));
  const uint16_t length = getU16(data, at);
  const uint16_t valueLength = getU16(data, at + 2);
  if (length < kBlockHeaderSize || length > data.size() - at)
    throw VersionInfoError("a version block of length " + std::to_string(length) + " at " +
                           std::to_string(at));
  blockEnd = at + length;

  Block block;
  block.type = getU16(data, at + 4);
  size_t keyEnd = at + kBlockHeaderSize;
  while (true) {
    if (keyEnd + 2 > blockEnd) throw VersionInfoError("a version block key without its end");
    if (getU16(data, keyEnd) == 0) break;
    keyEnd += 2;
  }
  block.key = utf16ToUtf8(data.substr(at + kBlockHeaderSize, keyEnd - at - kBlockHeaderSize));

  const size_t valueStart = std::min(align4(keyEnd + 2), blockEnd);
  const size_t valueBytes = block.type == kTextValue ? 2 * size_t{valueLength} : valueLength;
  const size_t valueEnd = std::min(valueStart + valueBytes, blockEnd);
  if (block.type != kTextValue && valueStart + valueBytes > blockEnd)
    throw VersionInfoError("the value of version block " + block.key + " runs past its end");
  block.value = data.substr(valueStart, valueEnd - valueStart);

  for (size_t child = align4(valueEnd); child < blockEnd;) {
    size_t childEnd = 0;
    block.children.push_back(parseBlock(data.substr(0, blockEnd), child, childEnd, depth + 1));
    child = align4(childEnd);
  }
  return block;
}

FixedVersionInfo parseFixed(std::string_view value) {
  if (value.size() < kFixedInfoSize) throw VersionInfoError("the fixed version part is missing");
  const auto word = [&](size_t i) { return getU32(value, 4 * i); };
  FixedVersionInfo fixed;
  fixed.signature = word(0);
  if (fixed.signature != version_fixed::kSignature)
    throw VersionInfoError("the fixed version part has a wrong signature");
  const auto halves = [](uint32_t high, uint32_t low) {
    return std::array<uint16_t, 4>{static_cast<uint16_t>(high >> 16),
                                   static_cast<uint16_t>(high & 0xFFFF),
                                   static_cast<uint16_t>(low >> 16),
                                   static_cast<uint16_t>(low & 0xFFFF)};
  };
  fixed.fileVersion = halves(word(2), word(3));
  fixed.productVersion = halves(word(4), word(5));
  fixed.flagsMask = word(6);
  fixed.flags = word(7);
  fixed.fileOs = word(8);
  fixed.fileType = word(9);
  fixed.fileSubtype = word(10);
  return fixed;
}

void readStringFileInfo(const Block& block, VersionInfo& info) {
  for (const Block& table : block.children) {
    VersionStringTable strings{table.key, {}};
    for (const Block& entry : table.children)
      strings.strings.emplace_back(entry.key, textValue(entry.value));
    info.stringTables.push_back(std::move(strings));
  }
}

void readVarFileInfo(const Block& block, VersionInfo& info) {
  for (const Block& var : block.children) {
    if (var.key != "Translation") {
      info.otherBlocks.push_back("VarFileInfo\\" + var.key);
      continue;
    }
    for (size_t i = 0; i + 4 <= var.value.size(); i += 4)
      info.translations.emplace_back(getU16(var.value, i), getU16(var.value, i + 2));
  }
}

}  // namespace

const std::string* VersionStringTable::find(std::string_view name) const {
  for (const auto& [key, value] : strings)
    if (key == name) return &value;
  return nullptr;
}

VersionInfo parseVersionInfo(std::string_view data) {
  size_t end = 0;
  const Block root = parseBlock(data, 0, end, 0);
  if (root.key != "VS_VERSION_INFO")
    throw VersionInfoError("the version resource starts with block " + root.key);
  VersionInfo info;
  info.fixed = parseFixed(root.value);
  for (const Block& child : root.children) {
    if (child.key == "StringFileInfo")
      readStringFileInfo(child, info);
    else if (child.key == "VarFileInfo")
      readVarFileInfo(child, info);
    else
      info.otherBlocks.push_back(child.key);
  }
  return info;
}

}  // namespace tarvik::package
