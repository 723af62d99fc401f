#include "unziplib/entry_path.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

namespace tarvik::unziplib {
namespace {

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

std::vector<std::string_view> partsOf(std::string_view name) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t end = std::min(name.find('/', start), name.size());
    const std::string_view part = name.substr(start, end - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

bool onlyDotsAndSpaces(std::string_view part) {
  return part.find_first_not_of(". ") == std::string_view::npos;
}

std::string refusalOf(std::string_view name, const std::vector<std::string_view>& parts) {
  if (name.empty() || name.front() == '/') return "it is an absolute path";
  if (name.size() >= 2 && name[1] == ':') return "it names a drive";
  if (name.find(':') != std::string_view::npos) return "it holds a colon";
  if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
    return "it holds control characters";
  for (const std::string_view part : parts) {
    if (part == "..") return "it climbs out of the folder with \"..\"";
    if (onlyDotsAndSpaces(part)) return "it has a part of only dots";
    if (isDeviceName(part)) return "it names a device";
  }
  if (parts.empty()) return "it has no name";
  return {};
}

}  // namespace

bool isDeviceName(std::string_view part) {
  std::string_view base = part.substr(0, part.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  const std::string name = upper(base);
  static const std::array<std::string_view, 6> kFixed = {"CON", "PRN", "AUX", "NUL", "CONIN$",
                                                         "CONOUT$"};
  if (std::find(kFixed.begin(), kFixed.end(), name) != kFixed.end()) return true;
  if (name.rfind("COM", 0) != 0 && name.rfind("LPT", 0) != 0) return false;
  const std::string_view number = std::string_view(name).substr(3);
  const bool digit = number.size() == 1 && number[0] >= '1' && number[0] <= '9';
  // Windows also takes the superscript digits one, two and three (UTF-8 C2 B9, C2 B2, C2 B3).
  const bool superscript = number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
  return digit || superscript;
}

OutputPath outputPathOf(std::string_view name, const PathRules& rules) {
  const bool folder = !name.empty() && name.back() == '/';
  std::vector<std::string_view> parts = partsOf(name);
  std::string_view checked = name;
  if (!rules.keepFolders) {
    if (folder) return {};
    if (!parts.empty()) parts.erase(parts.begin(), parts.end() - 1);
    checked = parts.empty() ? std::string_view() : parts.front();
  }
  OutputPath result;
  result.refusal = refusalOf(checked, parts);
  if (result.refused()) return result;
  for (const std::string_view part : parts) {
    if (!result.path.empty()) result.path += '/';
    result.path += part;
  }
  if (rules.spaceToUnderscore) std::replace(result.path.begin(), result.path.end(), ' ', '_');
  return result;
}

}  // namespace tarvik::unziplib
