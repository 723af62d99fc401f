#include "package/payload_content.h"

#include <algorithm>
#include <cstring>

#include "package/random.h"
#include "package/zip_layout.h"

namespace tarvik::package {
namespace {

// Changes per 4096 bytes, chosen so that the folders deflate like the add-on's: scenery files
// to about 25 and texture files to about 19 per cent.
constexpr uint32_t kSceneryChanges = 435;
constexpr uint32_t kTextureChanges = 302;

constexpr size_t kBitmapHeaderSize = 14 + 40;
constexpr size_t kPaletteSize = 256 * 4;

std::string bitmapHeader(uint32_t size, size_t width) {
  const auto pixelStart = static_cast<uint32_t>(kBitmapHeaderSize + kPaletteSize);
  const uint32_t pixels = size > pixelStart ? size - pixelStart : 0;
  std::string header = "BM";
  putU32(header, size);
  putU32(header, 0);  // reserved
  putU32(header, pixelStart);
  putU32(header, 40);  // size of the information header
  putU32(header, static_cast<uint32_t>(width));
  putU32(header, static_cast<uint32_t>(pixels / width));
  putU16(header, 1);  // planes
  putU16(header, 8);  // bits per pixel
  putU32(header, 0);  // no compression
  putU32(header, pixels);
  putU32(header, 2835);  // 72 dots per inch
  putU32(header, 2835);
  putU32(header, 256);  // colours used
  putU32(header, 0);
  for (uint32_t i = 0; i < 256; ++i) {
    header.push_back(static_cast<char>(i / 2));
    header.push_back(static_cast<char>(64 + i / 2));
    header.push_back(static_cast<char>(i));
    header.push_back('\0');
  }
  return header;
}

// Scenery files start with a version word and a table of section offsets, most of them empty.
std::string sceneryHeader(uint32_t size, Random& random) {
  std::string header;
  putU16(header, 0x0001);
  for (int section = 0; section < 30; ++section)
    putU32(header, random.chance(1, 4) ? static_cast<uint32_t>(random.below(size)) : 0);
  return header;
}

// Textures other than bitmaps: a small header with the kind, the row width and the row count.
std::string textureHeader(PayloadKind kind, uint32_t size, size_t width) {
  std::string header;
  putU32(header, static_cast<uint32_t>(kind));
  putU32(header, static_cast<uint32_t>(width));
  putU32(header, static_cast<uint32_t>(size / width));
  putU32(header, 0);
  return header;
}

std::string headerOf(const PayloadEntry& entry, size_t width, Random& random) {
  switch (entry.kind) {
    case PayloadKind::SceneryBgl:
      return sceneryHeader(entry.size, random);
    case PayloadKind::Bitmap:
      return bitmapHeader(entry.size, width);
    case PayloadKind::Folder:
      return {};
    default:
      return textureHeader(entry.kind, entry.size, width);
  }
}

// The first row: scenery records hold many zero bytes; textures run in smooth shades.
void fillFirstRow(char* row, size_t width, bool scenery, Random& random) {
  uint8_t shade = static_cast<uint8_t>(random.below(256));
  for (size_t i = 0; i < width; ++i) {
    if (scenery) {
      row[i] = random.chance(1, 3) ? '\0' : static_cast<char>(random.below(256));
    } else {
      shade = static_cast<uint8_t>(shade + random.below(5) - 2);
      row[i] = static_cast<char>(shade);
    }
  }
}

void fillRows(std::string& bytes, size_t from, RowStyle style, bool scenery, Random& random) {
  if (from >= bytes.size()) return;
  const size_t width = style.width;
  std::string row(width, '\0');
  fillFirstRow(row.data(), width, scenery, random);
  uint64_t budget = 0;
  for (size_t at = from; at < bytes.size(); at += width) {
    budget += uint64_t{width} * style.changesPer4096;
    for (; budget >= 4096; budget -= 4096)
      row[random.below(width)] = static_cast<char>(random.below(256));
    std::memcpy(bytes.data() + at, row.data(), std::min(width, bytes.size() - at));
  }
}

}  // namespace

RowStyle rowStyleOf(PayloadKind kind, uint32_t size) {
  switch (kind) {
    case PayloadKind::SceneryBgl:
      return {size < 8192 ? 32u : 96u, kSceneryChanges};
    case PayloadKind::Folder:
      return {1, 0};
    default:
      return {size < 16384 ? 32u : size < 131072 ? 128u : 256u, kTextureChanges};
  }
}

std::string payloadContent(const PayloadEntry& entry) {
  Random random(entry.contentSeed);
  std::string bytes(entry.size, '\0');
  const RowStyle style = rowStyleOf(entry.kind, entry.size);
  const std::string header = headerOf(entry, style.width, random);
  const size_t headerLength = std::min(header.size(), bytes.size());
  std::memcpy(bytes.data(), header.data(), headerLength);
  fillRows(bytes, headerLength, style, entry.kind == PayloadKind::SceneryBgl, random);
  return bytes;
}

}  // namespace tarvik::package
