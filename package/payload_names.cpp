#include "package/payload_names.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tarvik::package {
namespace {

constexpr std::string_view kSceneryPrefix = "tarv_";

constexpr std::array<std::string_view, 56> kSceneryWords{
    "apron",   "rwy",     "twy",    "hangar",  "tower",  "terminal", "lights", "ramp",
    "cargo",   "fuel",    "north",  "south",   "east",   "west",     "mesh",   "land",
    "water",   "roads",   "vasi",   "papi",    "appr",   "parking",  "fence",  "gate",
    "objects", "coast",   "city",   "harbour", "field",  "forest",   "lake",   "river",
    "bridge",  "hills",   "dunes",  "village", "church", "farm",     "mill",   "dyke",
    "polder",  "station", "rail",   "pier",    "beacon", "ndb",      "vor",    "base",
    "heli",    "club",    "glider", "marina",  "canal",  "lock",     "quay",   "ferry"};

constexpr std::array<std::string_view, 56> kTextureWords{
    "grass", "asphalt", "concrete", "roof",   "wall",  "hangar", "tower",  "tree",
    "pine",  "oak",     "birch",    "road",   "rwy",   "twy",    "mark",   "sand",
    "water", "cliff",   "rock",     "crop",   "brick", "window", "door",   "glass",
    "metal", "rust",    "lamp",     "night",  "snow",  "dirt",   "gravel", "sign",
    "fence", "shed",    "tank",     "ship",   "boat",  "dock",   "reed",   "heath",
    "dune",  "field",   "tile",     "stripe", "edge",  "apron",  "car",    "truck",
    "plane", "house",   "barn",     "silo",   "dyke",  "poplar", "willow", "tulip"};

constexpr size_t kMinFreeLength = 7;
constexpr int kAttempts = 1000;

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Every word of the stem starts with a capital letter.
std::string titleCase(std::string stem) {
  bool wordStart = true;
  for (char& c : stem) {
    if (wordStart) c = upper(c);
    wordStart = c == '_' || c == ' ';
  }
  return stem;
}

}  // namespace

std::string PayloadNames::sceneryName(const NameRequest& request) {
  return makeName(kSceneryPrefix, kSceneryWords.data(), kSceneryWords.size(), request);
}

std::string PayloadNames::textureName(const NameRequest& request) {
  return makeName({}, kTextureWords.data(), kTextureWords.size(), request);
}

std::string PayloadNames::makeName(std::string_view prefix, const std::string_view* words,
                                   size_t wordCount, const NameRequest& request) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const size_t length =
        request.exactLength != 0
            ? request.exactLength
            : random_.between(std::max(kMinFreeLength, prefix.size() + 7), kMaxFreeLength);
    if (length <= request.extension.size() + prefix.size())
      throw std::invalid_argument("no room for a name of " + std::to_string(length));
    const size_t stemLength = length - request.extension.size();
    std::optional<std::string> made = makeStem(prefix, words, wordCount, stemLength, request.space);
    if (!made) continue;
    std::string stem = std::move(*made);
    if (request.exactLength != 0) appendDigits(stem, stemLength - stem.size());
    if (request.capitals) stem = titleCase(stem);
    std::string name = stem + std::string(request.extension);
    if (taken_.insert(lowerCase(name)).second) return name;
  }
  throw std::runtime_error("no free name left for another payload file");
}

// Words joined by '_' (or by a blank, two words only) up to the stem length, sometimes with a
// number behind them; nothing when the words drawn do not fit.
std::optional<std::string> PayloadNames::makeStem(std::string_view prefix,
                                                  const std::string_view* words, size_t wordCount,
                                                  size_t stemLength, bool space) {
  std::string stem(prefix);
  const size_t maxWords = space ? 2 : 3;
  std::vector<std::string_view> used;
  for (int pick = 0; pick < 12 && used.size() < maxWords; ++pick) {
    const std::string_view word = words[random_.below(wordCount)];
    if (std::find(used.begin(), used.end(), word) != used.end()) continue;
    const bool joined = !used.empty() || (!stem.empty() && stem.back() != '_');
    const size_t grown = stem.size() + (joined ? 1 : 0) + word.size();
    if (grown > stemLength) continue;
    if (joined) stem += space ? ' ' : '_';
    stem += word;
    used.push_back(word);
  }
  if (used.empty() || (space && used.size() < 2)) return std::nullopt;
  if (stem.size() + 2 <= stemLength && random_.chance(1, 2)) appendDigits(stem, 2);
  return stem;
}

void PayloadNames::appendDigits(std::string& stem, size_t count) {
  for (size_t i = 0; i < count; ++i) stem += static_cast<char>('0' + random_.below(10));
}

}  // namespace tarvik::package
