#include "platform/simulator_view.h"

#include <set>

#include "platform/runtime_error.h"
#include "platform/text_case.h"

namespace tarvik {
namespace {

std::string withSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
  return folder;
}

std::string nameOf(const std::string& path) {
  return path.substr(path.find_last_of("\\/") + 1);
}

std::string folderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

}  // namespace

SimulatorView::SimulatorView(FileSystem& files, VirtualStore store)
    : files_(files), store_(std::move(store)) {}

std::optional<uint32_t> SimulatorView::attributes(const std::string& path) {
  return files_.attributes(seen(path));
}

bool SimulatorView::fileExists(const std::string& path) { return files_.fileExists(seen(path)); }

uint64_t SimulatorView::fileSize(const std::string& path) { return files_.fileSize(seen(path)); }

std::vector<std::string> SimulatorView::readLines(const std::string& path) {
  return files_.readLines(seen(path));
}

std::vector<std::string> SimulatorView::filesIn(const std::string& folder) {
  const auto copy = store_.copyOf(folder);
  if (!copy || !isFolder(*copy)) return files_.filesIn(folder);
  std::vector<std::string> files;
  std::set<std::string> names;
  for (const std::string& file : files_.filesIn(*copy)) {
    names.insert(lowerCaseText(nameOf(file)));
    files.push_back(withSeparator(folder) + nameOf(file));
  }
  if (!isFolder(folder)) return files;
  for (const std::string& file : files_.filesIn(folder)) {
    if (!names.contains(lowerCaseText(nameOf(file)))) files.push_back(file);
  }
  return files;
}

bool SimulatorView::setNormalAttributes(const std::string& path) {
  bool reset = false;
  for (const std::string& place : placesOf(path)) reset |= files_.setNormalAttributes(place);
  return reset;
}

bool SimulatorView::deleteFile(const std::string& path) {
  bool deleted = false;
  for (const std::string& place : placesOf(path)) deleted |= files_.deleteFile(place);
  return deleted;
}

std::string SimulatorView::storedPath(const std::string& path) { return files_.storedPath(path); }

void SimulatorView::flushFolder(const std::string& folder) {
  for (const std::string& place : placesOf(folder)) files_.flushFolder(place);
}

std::vector<StoredFile> SimulatorView::storedFiles(const std::string& path) {
  std::vector<StoredFile> stored;
  if (const auto copy = existingCopy(path)) {
    stored = files_.storedFiles(*copy);
  }
  for (StoredFile& file : files_.storedFiles(path)) stored.push_back(std::move(file));
  return stored;
}

std::string SimulatorView::folderForNewFiles(const std::string& folder) {
  if (isFolder(folder)) return folder;
  const auto copy = existingCopy(folder);
  return copy && isFolder(*copy) ? *copy : folder;
}

void SimulatorView::revealNewFiles(const std::vector<std::string>& files) {
  std::set<std::string> changedFolders;
  for (const std::string& file : files) {
    // A file written to the store, where the folder is only there, is its own copy.
    if (!files_.fileExists(file)) continue;
    const auto copy = existingCopy(file);
    if (!copy) continue;
    try {
      files_.setNormalAttributes(*copy);
      files_.deleteFile(*copy);
    } catch (const RuntimeError& error) {
      throw RuntimeError(error.number(), file + " (" + *copy + "): " + error.description());
    }
    changedFolders.insert(folderOf(*copy));
  }
  for (const std::string& folder : changedFolders) files_.flushFolder(folder);
}

std::optional<std::string> SimulatorView::existingCopy(const std::string& path) {
  auto copy = store_.copyOf(path);
  if (copy && !files_.attributes(*copy)) copy.reset();
  return copy;
}

std::string SimulatorView::seen(const std::string& path) {
  return existingCopy(path).value_or(path);
}

std::vector<std::string> SimulatorView::placesOf(const std::string& path) {
  std::vector<std::string> places;
  if (const auto copy = existingCopy(path)) places.push_back(*copy);
  if (places.empty() || files_.attributes(path)) places.push_back(path);
  return places;
}

bool SimulatorView::isFolder(const std::string& path) {
  const auto found = files_.attributes(path);
  return found && (*found & file_attribute::kDirectory);
}

}  // namespace tarvik
