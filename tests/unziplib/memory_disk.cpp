#include "tests/unziplib/memory_disk.h"

#include <algorithm>

#include "unziplib/unzip_platform.h"

namespace tarvik::testing {

void MemoryDisk::clear() {
  folders.clear();
  names.clear();
  contents.clear();
  steps.clear();
}

int MemoryDisk::put(const std::string& path, std::string content) {
  contents.push_back(std::move(content));
  names[path] = static_cast<int>(contents.size() - 1);
  return names[path];
}

MemoryDisk& memoryDisk() {
  static MemoryDisk disk;
  return disk;
}

}  // namespace tarvik::testing

namespace tarvik::unziplib {
namespace {

using testing::DiskStep;
using testing::memoryDisk;

std::unique_lock<std::mutex> locked() { return std::unique_lock(memoryDisk().mutex); }

void record(DiskStep::Kind kind, intptr_t file, const std::string& path = {}) {
  const int number = static_cast<int>(file);
  memoryDisk().steps.push_back({kind, number, path, memoryDisk().contents[number].size()});
}

}  // namespace

InputFile::InputFile(const std::string& path) {
  const auto lock = locked();
  const auto found = memoryDisk().names.find(path);
  if (found == memoryDisk().names.end()) throw SystemFailure("cannot open " + path, "none", false);
  handle_ = found->second;
  size_ = memoryDisk().contents[handle_].size();
}

InputFile::~InputFile() = default;

std::size_t InputFile::readAt(uint64_t offset, std::span<uint8_t> buffer) {
  const auto lock = locked();
  const std::string& content = memoryDisk().contents[handle_];
  const std::size_t count =
      offset >= size_ ? 0 : std::min<std::size_t>(buffer.size(), size_ - offset);
  std::copy_n(content.begin() + static_cast<std::ptrdiff_t>(offset), count, buffer.begin());
  return count;
}

std::optional<OutputFile> OutputFile::createNew(const std::string& path) {
  const auto lock = locked();
  if (memoryDisk().names.contains(path)) return std::nullopt;
  return OutputFile(memoryDisk().put(path, {}));
}

std::optional<OutputFile> OutputFile::createUnnamed(const std::string&) {
  const auto lock = locked();
  if (!memoryDisk().unnamedFiles) return std::nullopt;
  memoryDisk().contents.emplace_back();
  return OutputFile(static_cast<intptr_t>(memoryDisk().contents.size() - 1));
}

bool OutputFile::giveName(const std::string& path) {
  const auto lock = locked();
  if (!memoryDisk().names.try_emplace(path, static_cast<int>(handle_)).second) return false;
  record(DiskStep::kName, handle_, path);
  return true;
}

OutputFile::OutputFile(OutputFile&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }
OutputFile::~OutputFile() = default;

void OutputFile::write(std::span<const uint8_t> bytes) {
  const auto lock = locked();
  memoryDisk().contents[handle_].append(bytes.begin(), bytes.end());
}

void OutputFile::setModifiedTime(const LocalTime&) {}

void OutputFile::flush() {
  const auto lock = locked();
  record(DiskStep::kFlush, handle_);
}

void OutputFile::close() { handle_ = -1; }

PathKind pathKind(const std::string& path) {
  const auto lock = locked();
  if (memoryDisk().names.contains(path)) return PathKind::kFile;
  return memoryDisk().folders.contains(path) ? PathKind::kFolder : PathKind::kNothing;
}

bool makeFolder(const std::string& path) {
  const auto lock = locked();
  return memoryDisk().folders.insert(path).second;
}

void replaceFile(const std::string& from, const std::string& to) {
  const auto lock = locked();
  auto& names = memoryDisk().names;
  names[to] = names.at(from);
  names.erase(from);
  record(DiskStep::kMove, names[to], to);
}

void removeFileQuietly(const std::string& path) noexcept {
  const auto lock = locked();
  memoryDisk().names.erase(path);
}

std::optional<LocalTime> modifiedTime(const std::string&) { return std::nullopt; }

char nativeSeparator() { return '/'; }
std::string fromCallerText(std::string_view text) { return std::string(text); }
std::string toCallerText(std::string_view utf8) { return std::string(utf8); }
std::string entryNameText(std::string_view stored, bool) { return std::string(stored); }

}  // namespace tarvik::unziplib
