#include "tests/support/fake_write_access.h"

#include <cctype>

namespace tarvik::testing {
namespace {

std::string folded(std::string path) {
  for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

bool contains(const std::set<std::string>& paths, const std::string& path) {
  for (const std::string& listed : paths)
    if (folded(listed) == folded(path)) return true;
  return false;
}

}  // namespace

std::optional<VolumeSpace> FakeWriteAccess::space(const std::string& folder) {
  const std::string volume = folder.substr(0, 3);
  const auto found = spaces.find(volume);
  VolumeSpace space =
      found != spaces.end() ? found->second : VolumeSpace{uint64_t{1} << 40, 4096, std::nullopt};
  if (const auto serial = serials.find(volume); serial != serials.end())
    space.serial = serial->second;
  return space;
}

Access FakeWriteAccess::canChange(const std::string& file, bool replaceOrDelete) {
  if (contains(deniedPaths, file)) return Access::kDenied;
  if (replaceOrDelete && contains(heldFiles, file)) return Access::kInUse;
  return Access::kAllowed;
}

Access FakeWriteAccess::canCreateIn(const std::string& folder) {
  return contains(deniedPaths, folder) ? Access::kDenied : Access::kAllowed;
}

std::vector<std::string> FakeWriteAccess::programsUsing(const std::vector<std::string>&) {
  return holders;
}

std::optional<std::string> FakeWriteAccess::pathForAdministrator(const std::string& folder) {
  const auto found = networkPaths.find(folder);
  if (found == networkPaths.end()) return folder;
  if (found->second.empty()) return std::nullopt;
  return found->second;
}

bool FakeWriteAccess::restartAsAdministrator(const std::string& arguments) {
  ++restarts;
  restartArguments = arguments;
  return restartSucceeds;
}

}  // namespace tarvik::testing
