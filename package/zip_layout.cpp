#include "package/zip_layout.h"

namespace tarvik::package {

void putU16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

void putU32(std::string& out, uint32_t value) {
  putU16(out, static_cast<uint16_t>(value & 0xFFFF));
  putU16(out, static_cast<uint16_t>(value >> 16));
}

uint16_t getU16(std::string_view bytes, size_t at) {
  const auto byte = [&](size_t i) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at + i]));
  };
  return static_cast<uint16_t>(byte(0) | byte(1) << 8);
}

uint32_t getU32(std::string_view bytes, size_t at) {
  return static_cast<uint32_t>(getU16(bytes, at)) | static_cast<uint32_t>(getU16(bytes, at + 2))
                                                        << 16;
}

std::string lowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

}  // namespace tarvik::package
