#include "platform/virtual_store.h"

#include "platform/text_case.h"

namespace tarvik {
namespace {

// The length of the root of a resolved path: "C:\" or "\\server\share\"; 0 for none.
std::size_t rootLength(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return 3;
  if (!path.starts_with("\\\\")) return 0;
  const std::size_t share = path.find('\\', 2);
  if (share == std::string::npos) return 0;
  const std::size_t end = path.find('\\', share + 1);
  return end == std::string::npos ? path.size() : end + 1;
}

// True when path is folder or lies below it; both resolved, compared without regard to case.
bool liesIn(const std::string& path, const std::string& folder) {
  const std::string lowerPath = lowerCaseText(path);
  std::string lowerFolder = lowerCaseText(folder);
  if (!lowerFolder.empty() && lowerFolder.back() == '\\') lowerFolder.pop_back();
  return lowerPath.starts_with(lowerFolder) &&
         (lowerPath.size() == lowerFolder.size() || lowerPath[lowerFolder.size()] == '\\');
}

}  // namespace

std::string resolvedPath(const std::string& path) {
  std::string text = path;
  for (char& c : text)
    if (c == '/') c = '\\';
  const std::size_t root = rootLength(text);
  std::vector<std::string> names;
  std::size_t at = root;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find('\\', at), text.size());
    const std::string name = text.substr(at, end - at);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    at = end + 1;
  }
  std::string resolved = text.substr(0, root);
  for (std::size_t i = 0; i < names.size(); ++i) resolved += (i ? "\\" : "") + names[i];
  if (!names.empty() && text.size() > root && text.back() == '\\') resolved += '\\';
  return resolved;
}

std::optional<std::string> VirtualStore::copyOf(const std::string& path) const {
  if (folder.empty()) return std::nullopt;
  const std::string resolved = resolvedPath(path);
  if (resolved.size() < 3 || resolved[1] != ':') return std::nullopt;  // a drive's paths only
  for (const std::string& virtualized : virtualizedFolders) {
    if (!liesIn(resolved, resolvedPath(virtualized))) continue;
    std::string store = folder;
    if (store.back() == '\\' || store.back() == '/') store.pop_back();
    return store + resolved.substr(2);
  }
  return std::nullopt;
}

}  // namespace tarvik
