#include "unziplib/extra_fields.h"

#include <algorithm>
#include <type_traits>

#include "unziplib/archive_source.h"
#include "unziplib/crc32.h"
#include "unziplib/zip_records.h"

namespace tarvik::unziplib {
namespace {

constexpr uint16_t kZip64Field = 0x0001;
constexpr uint32_t kAllOnes32 = 0xFFFFFFFF;
constexpr uint16_t kAllOnes16 = 0xFFFF;

// The data of the first block with this id; a block that claims more than is left is cut to it.
std::optional<std::span<const uint8_t>> blockOf(std::span<const uint8_t> extra, uint16_t id) {
  while (extra.size() >= 4) {
    const uint16_t blockId = get16(extra.data());
    const std::size_t length = std::min<std::size_t>(get16(extra.data() + 2), extra.size() - 4);
    if (blockId == id) return extra.subspan(4, length);
    extra = extra.subspan(4 + length);
  }
  return std::nullopt;
}

}  // namespace

bool widenFromZip64Field(std::span<const uint8_t> extra, WideFields& fields, bool localHeader) {
  const std::optional<std::span<const uint8_t>> block = blockOf(extra, kZip64Field);
  if (!block) return true;
  std::span<const uint8_t> rest = *block;
  const auto take = [&](auto& field, std::size_t width) {
    if (rest.size() < width) return false;
    field = static_cast<std::remove_reference_t<decltype(field)>>(
        width == 8 ? zip_records::get64(rest.data()) : get32(rest.data()));
    rest = rest.subspan(width);
    return true;
  };
  const bool wideUncompressed = fields.uncompressedSize == kAllOnes32;
  const bool wideCompressed = fields.compressedSize == kAllOnes32;
  if (localHeader && (wideUncompressed || wideCompressed) && rest.size() >= 16)
    return take(fields.uncompressedSize, 8) && take(fields.compressedSize, 8);
  return (!wideUncompressed || take(fields.uncompressedSize, 8)) &&
         (!wideCompressed || take(fields.compressedSize, 8)) &&
         (!(fields.offset == kAllOnes32) || take(fields.offset, 8)) &&
         (!(fields.disk == kAllOnes16) || take(fields.disk, 4));
}

bool UnicodeField::madeFor(std::span<const uint8_t> headerBytes) const {
  return crc == crc32Update(0, headerBytes);
}

bool UnicodeField::madeFor(std::string_view headerText) const {
  return madeFor(std::span(reinterpret_cast<const uint8_t*>(headerText.data()), headerText.size()));
}

std::optional<UnicodeField> unicodeField(std::span<const uint8_t> extra, uint16_t id) {
  const std::optional<std::span<const uint8_t>> block = blockOf(extra, id);
  if (!block || block->size() <= 5 || (*block)[0] != 1) return std::nullopt;
  return UnicodeField{get32(block->data() + 1),
                      std::string(reinterpret_cast<const char*>(block->data() + 5),
                                  block->size() - 5)};
}

}  // namespace tarvik::unziplib
