#include "tests/support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace tarvik::testing {

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = fs::temp_directory_path() /
          ("tarvik-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code error;
  // Read-only files must become writable before Windows lets them go.
  for (const auto& entry : fs::recursive_directory_iterator(path_, error))
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

fs::path TempFolder::write(const std::string& relative, const std::string& bytes) const {
  const fs::path file = path_ / fs::path(relative).make_preferred();
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file;
}

fs::path TempFolder::writeSized(const std::string& relative, uint64_t size) const {
  return write(relative, std::string(size, 'x'));
}

fs::path TempFolder::makeFolder(const std::string& relative) const {
  const fs::path folder = path_ / fs::path(relative).make_preferred();
  fs::create_directories(folder);
  return folder;
}

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace tarvik::testing
