#pragma once
// Icon resources of a Windows program: an icon group (GRPICONDIR) lists the images of one icon,
// each stored as an icon resource of its own that begins with a bitmap header.

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace tarvik::package {

class IconFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct IconGroupEntry {
  int width = 0;  // 0 in the file stands for 256
  int height = 0;
  int colourCount = 0;  // 0 when the image has 256 colours or more
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  uint32_t bytesInResource = 0;
  uint16_t iconId = 0;
};

// Throws IconFormatError unless the data is an icon group whose entries fill it exactly.
std::vector<IconGroupEntry> parseIconGroup(std::string_view data);

// The bitmap header at the start of an icon image; its height counts the colour and mask rows.
struct IconImageHeader {
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
};

// Throws IconFormatError unless the data starts with a 40-byte bitmap header.
IconImageHeader parseIconImage(std::string_view data);

}  // namespace tarvik::package
