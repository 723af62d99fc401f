#pragma once
// The extra fields of a header that change what the header says: the ZIP64 extended information
// (0x0001), which holds the sizes, offset and disk that do not fit the header's own fields, and
// the Unicode path and comment (0x7075, 0x6375), which hold a name or comment in UTF-8 for a
// header whose own is in another code page.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarvik::unziplib {

// The values that a ZIP64 extra field may widen, as the header gives them.
struct WideFields {
  uint64_t uncompressedSize = 0;
  uint64_t compressedSize = 0;
  uint64_t offset = 0;
  uint32_t disk = 0;
};

// Takes each field that the header fills with all ones (0xFFFFFFFF, 0xFFFF for the disk) from
// the ZIP64 extra field, in the field's fixed order; a field only a ZIP64 extra field can give.
// A local header's field holds both sizes once either needs it; one holding only the size that
// needs it is read too. Without a ZIP64 extra field the values stay as they are. False when the
// extra field is too short for the fields that call for it.
bool widenFromZip64Field(std::span<const uint8_t> extra, WideFields& fields, bool localHeader);

// A Unicode path or comment field (id kUnicodePath or kUnicodeComment): the name or comment in
// UTF-8, and the CRC-32 of the header's own bytes that it was made for. It counts only for bytes
// of that CRC, so that a field that a later tool left behind a changed name is passed over.
constexpr uint16_t kUnicodePath = 0x7075;
constexpr uint16_t kUnicodeComment = 0x6375;
struct UnicodeField {
  uint32_t crc = 0;
  std::string text;

  bool madeFor(std::span<const uint8_t> headerBytes) const;
  bool madeFor(std::string_view headerText) const;
  bool operator==(const UnicodeField&) const = default;
};
std::optional<UnicodeField> unicodeField(std::span<const uint8_t> extra, uint16_t id);

}  // namespace tarvik::unziplib
