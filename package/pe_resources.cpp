#include "package/pe_resources.h"

#include "package/utf16.h"
#include "package/zip_layout.h"

namespace tarvik::package {
namespace {

constexpr size_t kDirectoryHeaderSize = 16;
constexpr size_t kDirectoryEntrySize = 8;
constexpr size_t kDataEntrySize = 16;
constexpr uint32_t kHighBit = 0x80000000;
constexpr int kLevels = 3;  // type, name, language
// Far more than a program carries; it bounds the walk of a directory whose entries share
// subdirectories.
constexpr size_t kMaxResources = 4096;

struct DirectoryEntry {
  ResourceName name;
  uint32_t target = 0;  // offset from the directory's start
  bool isDirectory = false;
};

class ResourceWalker {
 public:
  ResourceWalker(const PeImage& image, PeDataDirectory root) : image_(image), root_(root) {}

  std::vector<PeResource> walk() {
    walkDirectory(0, 0);
    return std::move(found_);
  }

 private:
  std::string_view bytes(uint32_t offset, uint32_t length) const {
    if (offset > root_.size || length > root_.size - offset)
      throw PeFormatError("a resource record outside the resource directory");
    return image_.at(root_.virtualAddress + offset, length);
  }

  ResourceName nameAt(uint32_t field) const {
    if (!(field & kHighBit)) return ResourceName::number(static_cast<uint16_t>(field));
    const uint32_t offset = field & ~kHighBit;
    const uint16_t length = getU16(bytes(offset, 2), 0);
    return {0, utf16ToUtf8(bytes(offset + 2, 2u * length)), true};
  }

  std::vector<DirectoryEntry> entriesAt(uint32_t offset) const {
    const std::string_view header = bytes(offset, kDirectoryHeaderSize);
    const uint32_t count = uint32_t{getU16(header, 12)} + getU16(header, 14);
    const std::string_view table =
        bytes(offset + kDirectoryHeaderSize, count * static_cast<uint32_t>(kDirectoryEntrySize));
    std::vector<DirectoryEntry> entries;
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t target = getU32(table, i * kDirectoryEntrySize + 4);
      entries.push_back({nameAt(getU32(table, i * kDirectoryEntrySize)), target & ~kHighBit,
                         (target & kHighBit) != 0});
    }
    return entries;
  }

  // path holds the names of the levels above; a well-formed directory has subdirectories on the
  // first two levels and data entries on the third.
  void walkDirectory(uint32_t offset, int level) {
    for (const DirectoryEntry& entry : entriesAt(offset)) {
      path_[level] = entry.name;
      const bool wantDirectory = level + 1 < kLevels;
      if (entry.isDirectory != wantDirectory)
        throw PeFormatError("a resource directory that is not three levels deep");
      if (wantDirectory)
        walkDirectory(entry.target, level + 1);
      else
        addResource(entry.target);
    }
  }

  void addResource(uint32_t offset) {
    if (found_.size() == kMaxResources) throw PeFormatError("too many resources");
    const std::string_view record = bytes(offset, kDataEntrySize);
    PeResource resource;
    resource.type = path_[0];
    resource.name = path_[1];
    resource.language = path_[2].id;
    resource.codePage = getU32(record, 8);
    resource.data = std::string(image_.at(getU32(record, 0), getU32(record, 4)));
    found_.push_back(std::move(resource));
  }

  const PeImage& image_;
  PeDataDirectory root_;
  ResourceName path_[kLevels];
  std::vector<PeResource> found_;
};

}  // namespace

std::string ResourceName::display() const {
  if (isText) return text;
  std::string shown = std::to_string(id);
  shown.insert(shown.begin(), '#');
  return shown;
}

std::vector<PeResource> readResources(const PeImage& image) {
  const PeDataDirectory root = image.dataDirectory(pe_directory::kResources);
  if (root.virtualAddress == 0 || root.size == 0) return {};
  return ResourceWalker(image, root).walk();
}

}  // namespace tarvik::package
