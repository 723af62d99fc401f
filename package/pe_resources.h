#pragma once
// The resources of a Windows program file: the three-level resource directory (type, name,
// language) read into a flat list with each resource's bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "package/pe_image.h"

namespace tarvik::package {

namespace resource_type {
inline constexpr uint16_t kIcon = 3;
inline constexpr uint16_t kGroupIcon = 14;
inline constexpr uint16_t kVersion = 16;
inline constexpr uint16_t kManifest = 24;
}  // namespace resource_type

// A type or name of a resource: a number, or a text (held in UTF-8).
struct ResourceName {
  uint16_t id = 0;
  std::string text;
  bool isText = false;

  static ResourceName number(uint16_t id) { return {id, {}, false}; }
  bool is(uint16_t number) const { return !isText && id == number; }
  std::string display() const;  // "#14" or the text
  friend bool operator==(const ResourceName&, const ResourceName&) = default;
};

struct PeResource {
  ResourceName type;
  ResourceName name;
  uint16_t language = 0;
  uint32_t codePage = 0;
  std::string data;
};

// Every resource of the image, in directory order; none when the image has no resource
// directory. Throws PeFormatError when the directory does not hold together.
std::vector<PeResource> readResources(const PeImage& image);

}  // namespace tarvik::package
