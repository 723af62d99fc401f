#include "unziplib/staged_file.h"

#include <atomic>
#include <chrono>
#include <cstdio>

namespace tarvik::unziplib {
namespace {

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Names like "~tvk3f2a91c0.tmp": unlikely to meet a member's name, and tried again if they do.
std::string temporaryName(uint32_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "~tvk%08x.tmp", static_cast<unsigned>(number));
  return name;
}

// Shared by the threads that write files. Seeded from the clock, mixed in unsigned arithmetic
// (the tick count is signed, and multiplying it would overflow).
uint32_t nextNumber() {
  static std::atomic<uint32_t> number{static_cast<uint32_t>(
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) *
      2654435761u)};
  return number.fetch_add(0x9E3779B9u) + 0x9E3779B9u;
}

// A temporary name in the folder that `take` could take (it returns false for a name that
// exists already); after 100 names in use, a failure.
template <typename Take>
std::string takeFreeName(const std::string& folder, Take take) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = folder + temporaryName(nextNumber());
    if (take(name)) return name;
  }
  throw SystemFailure("cannot create a file in " + folder, "no free name", false);
}

}  // namespace

StagedFile::StagedFile(std::string target) : target_(std::move(target)) {
  const std::string folder = folderOf(target_);
  if (auto unnamed = OutputFile::createUnnamed(folder)) {
    file_.emplace(std::move(*unnamed));
    return;
  }
  temporary_ = takeFreeName(folder, [&](const std::string& name) {
    if (auto created = OutputFile::createNew(name)) file_.emplace(std::move(*created));
    return file_.has_value();
  });
}

StagedFile::~StagedFile() {
  if (committed_) return;
  file_.reset();
  if (!temporary_.empty()) removeFileQuietly(temporary_);
}

void StagedFile::write(std::span<const uint8_t> bytes) { file_->write(bytes); }

void StagedFile::complete(const LocalTime& time) {
  file_->setModifiedTime(time);
  file_->flush();
  // A named file is closed at once: programs that open every file just written (virus
  // scanners, indexers) then do so while the members after it are decoded, not as it is moved
  // into place.
  if (!temporary_.empty()) closeFile();
}

void StagedFile::commit() {
  if (temporary_.empty()) {
    // An unnamed file takes a new target's name in one step; over an existing target it goes
    // the way of a named one.
    if (file_->giveName(target_)) {
      file_->close();
      committed_ = true;
      return;
    }
    nameTemporarily();
  }
  if (file_) closeFile();
  replaceFile(temporary_, target_);
  committed_ = true;
}

void StagedFile::closeFile() {
  file_->close();
  file_.reset();
}

void StagedFile::nameTemporarily() {
  temporary_ = takeFreeName(folderOf(target_),
                            [&](const std::string& name) { return file_->giveName(name); });
}

}  // namespace tarvik::unziplib
