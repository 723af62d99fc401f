#include "package/pe_image.h"

#include <algorithm>

#include "package/zip_layout.h"

namespace tarvik::package {
namespace {

constexpr size_t kNewHeaderPointer = 0x3C;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;

// Offsets inside the optional header.
constexpr size_t kSizeOfHeaders = 60;
constexpr size_t kChecksum = 64;
constexpr size_t kDirectoryCountPe32 = 92;
constexpr size_t kDirectoryCountPe32Plus = 108;

}  // namespace

PeImage::PeImage(std::string bytes) : bytes_(std::move(bytes)) { readHeaders(); }

void PeImage::readHeaders() {
  const auto need = [this](uint64_t position, uint64_t length, const char* what) {
    if (position > bytes_.size() || length > bytes_.size() - position)
      throw PeFormatError(std::string("the file ends inside ") + what);
  };
  need(0, kNewHeaderPointer + 4, "the MS-DOS header");
  if (bytes_.compare(0, 2, "MZ") != 0) throw PeFormatError("no MS-DOS header (\"MZ\")");
  const uint64_t header = getU32(bytes_, kNewHeaderPointer);
  need(header, 4 + kFileHeaderSize, "the file header");
  if (bytes_.compare(header, 4, std::string_view("PE\0\0", 4)) != 0)
    throw PeFormatError("no PE signature");
  machine_ = getU16(bytes_, header + 4);
  const uint16_t sectionCount = getU16(bytes_, header + 4 + 2);
  const uint16_t optionalSize = getU16(bytes_, header + 4 + 16);
  const uint64_t optional = header + 4 + kFileHeaderSize;
  need(optional, optionalSize, "the optional header");
  if (optionalSize < kDirectoryCountPe32Plus + 4) throw PeFormatError("a short optional header");

  const uint16_t magic = getU16(bytes_, optional);
  if (magic != kMagicPe32 && magic != kMagicPe32Plus)
    throw PeFormatError("an optional header of unknown kind");
  is64Bit_ = magic == kMagicPe32Plus;
  checksumPosition_ = optional + kChecksum;
  checksum_ = getU32(bytes_, checksumPosition_);
  const size_t countAt = is64Bit_ ? kDirectoryCountPe32Plus : kDirectoryCountPe32;
  const uint32_t directoryCount = getU32(bytes_, optional + countAt);
  if (uint64_t{directoryCount} * 8 > optionalSize - countAt - 4)
    throw PeFormatError("more data directories than the optional header holds");
  directoryTablePosition_ = optional + countAt + 4;
  for (uint32_t i = 0; i < directoryCount; ++i) {
    const uint64_t at = directoryTablePosition_ + 8 * uint64_t{i};
    directories_.push_back({getU32(bytes_, at), getU32(bytes_, at + 4)});
  }
  imageEnd_ = getU32(bytes_, optional + kSizeOfHeaders);
  readSections(optional + optionalSize, sectionCount);
}

void PeImage::readSections(size_t tablePosition, uint16_t count) {
  if (uint64_t{count} * kSectionHeaderSize > bytes_.size() - tablePosition)
    throw PeFormatError("the file ends inside the section table");
  for (uint16_t i = 0; i < count; ++i) {
    const size_t at = tablePosition + i * kSectionHeaderSize;
    PeSection section;
    section.name = bytes_.substr(at, 8);
    section.name.erase(std::find(section.name.begin(), section.name.end(), '\0'),
                       section.name.end());
    section.virtualSize = getU32(bytes_, at + 8);
    section.virtualAddress = getU32(bytes_, at + 12);
    section.rawSize = getU32(bytes_, at + 16);
    section.rawPosition = getU32(bytes_, at + 20);
    if (section.rawSize > 0) {
      const uint64_t end = uint64_t{section.rawPosition} + section.rawSize;
      if (end > bytes_.size())
        throw PeFormatError("section " + section.name + " runs past the end of the file");
      imageEnd_ = std::max(imageEnd_, end);
    }
    sections_.push_back(std::move(section));
  }
}

uint32_t PeImage::computedChecksum() const {
  std::string bytes = bytes_;
  bytes.replace(checksumPosition_, 4, 4, '\0');
  if (bytes.size() % 2) bytes.push_back('\0');
  uint32_t sum = 0;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    sum += getU16(bytes, i);
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  return sum + static_cast<uint32_t>(bytes_.size());
}

PeDataDirectory PeImage::dataDirectory(size_t index) const {
  return index < directories_.size() ? directories_[index] : PeDataDirectory{};
}

std::string_view PeImage::at(uint32_t address, uint32_t length) const {
  for (const PeSection& section : sections_) {
    if (address < section.virtualAddress) continue;
    const uint64_t offset = uint64_t{address} - section.virtualAddress;
    if (offset >= std::max(section.virtualSize, section.rawSize)) continue;
    if (offset + length > section.rawSize)
      throw PeFormatError("data at address " + std::to_string(address) +
                          " runs past the raw data of section " + section.name);
    return std::string_view(bytes_).substr(section.rawPosition + offset, length);
  }
  throw PeFormatError("no section holds address " + std::to_string(address));
}

std::string PeImage::nameAt(uint32_t address) const {
  std::string name;
  for (uint32_t at = address;; ++at) {
    const char c = this->at(at, 1)[0];
    if (c == '\0') return name;
    if (name.size() == 260) throw PeFormatError("a name runs on");
    name.push_back(c);
  }
}

}  // namespace tarvik::package
