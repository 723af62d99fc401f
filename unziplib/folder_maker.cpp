#include "unziplib/folder_maker.h"

#include <algorithm>

#include "unziplib/unzip_platform.h"

namespace tarvik::unziplib {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::string_view parentOf(std::string_view relativeFile) {
  const std::size_t slash = relativeFile.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : relativeFile.substr(0, slash);
}

}  // namespace

FolderMaker::FolderMaker(std::string root, Reporter& reporter)
    : root_(std::move(root)), reporter_(reporter) {
  if (!root_.empty() && !isSeparator(root_.back())) root_ += '/';
}

std::string FolderMaker::pathOf(std::string_view relative) const {
  return root_ + std::string(relative);
}

std::string FolderMaker::displayPathOf(std::string_view relative) const {
  std::string path = pathOf(relative);
  std::replace_if(path.begin(), path.end(), isSeparator, nativeSeparator());
  return path;
}

void FolderMaker::ensureRoot() {
  if (rootReady_) return;
  rootReady_ = true;
  if (root_.empty() || pathKind(root_) == PathKind::kFolder) return;
  // Each level of the root in turn. A level above the last may be one that cannot be made or
  // looked at (a drive, a network share): only the last one has to succeed.
  const std::size_t last = root_.size() - 1;
  for (std::size_t end = 1; end <= last; ++end) {
    if (!isSeparator(root_[end])) continue;
    const std::string level = root_.substr(0, end);
    if (pathKind(level) == PathKind::kFolder) continue;
    try {
      makeFolder(level);
    } catch (const SystemFailure&) {
      if (end == last) throw;
    }
  }
  reporter_.member("   creating: " + root_);
}

void FolderMaker::ensure(std::string_view relative) {
  ensureRoot();
  if (relative.empty() || known_.contains(std::string(relative))) return;
  std::size_t end = 0;
  while (end != std::string_view::npos) {
    end = relative.find('/', end + 1);
    std::string level(relative.substr(0, end));
    if (known_.contains(level)) continue;
    if (makeFolder(pathOf(level))) reporter_.member("   creating: " + level + "/");
    known_.insert(std::move(level));
  }
}

void FolderMaker::ensureParentOf(std::string_view relativeFile) { ensure(parentOf(relativeFile)); }

bool FolderMaker::madeParentOf(std::string_view relativeFile) const {
  const std::string_view parent = parentOf(relativeFile);
  return rootReady_ && (parent.empty() || known_.contains(std::string(parent)));
}

}  // namespace tarvik::unziplib
