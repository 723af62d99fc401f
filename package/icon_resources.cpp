#include "package/icon_resources.h"

#include <string>

#include "package/zip_layout.h"

namespace tarvik::package {
namespace {

constexpr size_t kGroupHeaderSize = 6;
constexpr size_t kGroupEntrySize = 14;
constexpr uint16_t kIconType = 1;
constexpr uint32_t kBitmapHeaderSize = 40;

int sideOf(uint8_t stored) { return stored == 0 ? 256 : stored; }

}  // namespace

std::vector<IconGroupEntry> parseIconGroup(std::string_view data) {
  if (data.size() < kGroupHeaderSize) throw IconFormatError("an icon group cut short");
  if (getU16(data, 0) != 0 || getU16(data, 2) != kIconType)
    throw IconFormatError("not an icon group");
  const uint16_t count = getU16(data, 4);
  if (data.size() != kGroupHeaderSize + count * kGroupEntrySize)
    throw IconFormatError("an icon group of " + std::to_string(data.size()) + " bytes for " +
                          std::to_string(count) + " entries");
  std::vector<IconGroupEntry> entries;
  for (uint16_t i = 0; i < count; ++i) {
    const size_t at = kGroupHeaderSize + i * kGroupEntrySize;
    const auto byte = [&](size_t offset) { return static_cast<uint8_t>(data[at + offset]); };
    entries.push_back({sideOf(byte(0)), sideOf(byte(1)), byte(2), getU16(data, at + 4),
                       getU16(data, at + 6), getU32(data, at + 8), getU16(data, at + 12)});
  }
  return entries;
}

IconImageHeader parseIconImage(std::string_view data) {
  if (data.size() < kBitmapHeaderSize || getU32(data, 0) != kBitmapHeaderSize)
    throw IconFormatError("an icon image without a bitmap header");
  return {static_cast<int32_t>(getU32(data, 4)), static_cast<int32_t>(getU32(data, 8)),
          getU16(data, 12), getU16(data, 14)};
}

}  // namespace tarvik::package
