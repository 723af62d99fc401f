#include "tests/unziplib/memory_disk.h"

#include <algorithm>

#include "unziplib/unzip_platform.h"

namespace tarvik::testing {

int MemoryDisk::put(const std::string& path, std::string content) {
  contents.push_back(std::move(content));
  return names[path] = static_cast<int>(contents.size() - 1);
}

MemoryDisk& memoryDisk() {
  static MemoryDisk disk;
  return disk;
}

}  // namespace tarvik::testing

namespace tarvik::unziplib {
namespace {

testing::MemoryDisk& disk = testing::memoryDisk();
std::unique_lock<std::mutex> locked() { return std::unique_lock(disk.mutex); }

void record(testing::DiskStep::Kind kind, intptr_t file, const std::string& path = {}) {
  const int number = static_cast<int>(file);
  disk.steps.push_back({kind, number, path, disk.contents[number].size()});
}

}  // namespace

InputFile::InputFile(const std::string& path) {
  const auto lock = locked();
  if (!disk.names.contains(path)) throw SystemFailure("cannot open " + path, "missing", false);
  handle_ = disk.names[path];
  size_ = disk.contents[handle_].size();
}

InputFile::InputFile(InputFile&& other) noexcept : handle_(other.handle_), size_(other.size_) {}
InputFile::~InputFile() = default;
std::optional<InputFile> InputFile::reopened() const { return InputFile(handle_, size_); }

std::size_t InputFile::readAt(uint64_t offset, std::span<uint8_t> buffer) {
  const auto lock = locked();
  const std::string& content = disk.contents[handle_];
  const std::size_t count = std::min<std::size_t>(buffer.size(), size_ - std::min(offset, size_));
  std::copy_n(content.data() + std::min(offset, size_), count, buffer.data());
  return count;
}

std::optional<OutputFile> OutputFile::createNew(const std::string& path) {
  const auto lock = locked();
  if (disk.names.contains(path)) return std::nullopt;
  return OutputFile(disk.put(path, {}));
}

std::optional<OutputFile> OutputFile::createUnnamed(const std::string&) { return std::nullopt; }
bool OutputFile::giveName(const std::string&) { return false; }
OutputFile::OutputFile(OutputFile&& other) noexcept : handle_(other.handle_) {}
OutputFile::~OutputFile() = default;

void OutputFile::write(std::span<const uint8_t> bytes) {
  const auto lock = locked();
  disk.contents[handle_].append(bytes.begin(), bytes.end());
}

void OutputFile::setModifiedTime(const LocalTime&) {}

void OutputFile::flush() {
  const auto lock = locked();
  record(testing::DiskStep::kFileFlush, handle_);
}

void OutputFile::close() {}

PathKind pathKind(const std::string& path) {
  const auto lock = locked();
  if (disk.names.contains(path)) return PathKind::kFile;
  return disk.folders.contains(path) ? PathKind::kFolder : PathKind::kNothing;
}

bool makeFolder(const std::string& path) {
  const auto lock = locked();
  return disk.folders.insert(path).second;
}

void replaceFile(const std::string& from, const std::string& to) {
  const auto lock = locked();
  disk.names[to] = disk.names.at(from);
  disk.names.erase(from);
  record(testing::DiskStep::kMove, disk.names[to], to);
}

void flushFolder(const std::string& path) {
  const auto lock = locked();
  if (!disk.folders.contains(path)) throw SystemFailure("cannot write " + path, "missing", false);
  disk.steps.push_back({testing::DiskStep::kFolderFlush, -1, path, 0});
}

void removeFileQuietly(const std::string& path) noexcept {
  const auto lock = locked();
  disk.names.erase(path);
}

std::optional<LocalTime> modifiedTime(const std::string&) { return std::nullopt; }
char nativeSeparator() { return '/'; }
std::string fromCallerText(std::string_view text) { return std::string(text); }
std::string toCallerText(std::string_view utf8) { return std::string(utf8); }
std::optional<std::string> fromOemCodePage(std::string_view) { return std::nullopt; }

}  // namespace tarvik::unziplib
