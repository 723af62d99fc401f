#include "discovery/scenery_config_scan.h"

#include <exception>
#include <string_view>

#include "discovery/candidate_lists.h"
#include "discovery/path_normalisation.h"
#include "discovery/text_functions.h"
#include "platform/runtime_error.h"

namespace tarvik {
namespace {

constexpr std::size_t kMarkerSuffixLength = sizeof kMarkerSuffix - 1;
static_assert(kMarkerSuffixLength == 17);

// The path of a configuration line, from its 7th character on (after "Local=").
std::string pathOfLine(const std::string& line) { return midCharacters(line, 7); }

std::string withoutMarkerSuffix(const std::string& markerPath) {
  return markerPath.substr(0, markerPath.size() - kMarkerSuffixLength);
}

}  // namespace

SceneryConfigScan::SceneryConfigScan(FileSystem& files, CheckList& List1, CheckList& List2)
    : files_(files), list1_(List1), list2_(List2) {}

void SceneryConfigScan::ScanSceneryConfig(const std::string& simulatorFolder,
                                          const std::string& label) {
  const std::string configPath = simulatorFolder + "\\scenery.cfg";
  if (!configExists(configPath)) return;
  const auto lines = configLines(configPath);
  if (!lines) return;

  MarkersFound markersFound;
  for (const std::string& line : *lines) {
    if (candidateListsFull(list1_)) return;
    if (lowerCase(line).find("local=") == std::string::npos) continue;
    auto candidate = candidateOf(line, simulatorFolder);
    if (!candidate) continue;
    const auto size = lookUpMarker(*candidate, markersFound);
    if (!size) continue;
    const AddonVersion& version = addonVersionForMarkerSize(*size);
    if (!version.offered) continue;
    append(label, version, candidate->folderPath);
  }
}

bool SceneryConfigScan::configExists(const std::string& configPath) {
  try {
    return files_.attributes(configPath).has_value();
  } catch (const std::exception&) {
    return false;
  }
}

// All lines of the configuration, or nothing when it cannot be read, so that an unreadable
// file contributes no entries at all.
std::optional<std::vector<std::string>> SceneryConfigScan::configLines(
    const std::string& configPath) {
  try {
    return files_.readLines(configPath);
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
}

// Marker and folder path of a used line, by the first rule that applies; nothing for a
// parent-relative line that climbs above the root of the drive.
std::optional<SceneryConfigScan::Candidate> SceneryConfigScan::candidateOf(
    const std::string& line, const std::string& simulatorFolder) {
  Candidate candidate;
  if (std::string_view(line).starts_with(kParentRelativePrefix)) {
    // Rule A: relative to the parent of the simulator folder.
    parentLevelCount_ = 0;
    std::string copy = line;
    const std::string stripped = verwijderpuntpunt(copy, parentLevelCount_);
    const auto base = verwijderdirverwijzing(simulatorFolder, parentLevelCount_);
    if (!base) return std::nullopt;
    candidate.markerPath = lowerCase(*base + pathOfLine(stripped) + kMarkerSuffix);
    candidate.folderPath = withoutMarkerSuffix(candidate.markerPath);
  } else if (characterAt(line, 8) == ":") {
    // Rule B: a path with a drive letter.
    candidate.markerPath = lowerCase(pathOfLine(line) + kMarkerSuffix);
    candidate.folderPath = withoutMarkerSuffix(candidate.markerPath);
  } else {
    // Rule C: relative to the simulator folder.
    candidate.folderPath =
        lowerCase(trimSpaces(simulatorFolder + "\\" + pathOfLine(trimSpaces(line))));
    candidate.markerPath = lowerCase(candidate.folderPath + kMarkerSuffix);
  }
  return candidate;
}

// The size of the candidate's marker, which the candidate then names; nothing when there is no
// marker or its size cannot be read. The file system is asked on the first line that leads to
// the marker path only.
std::optional<uint64_t> SceneryConfigScan::lookUpMarker(Candidate& candidate,
                                                        MarkersFound& markersFound) {
  auto known = markersFound.find(candidate.markerPath);
  if (known == markersFound.end()) {
    MarkerFound found{candidate, std::nullopt};
    if (findMarker(found.candidate)) found.size = markerSize(found.candidate.markerPath);
    known = markersFound.emplace(candidate.markerPath, std::move(found)).first;
  }
  candidate = known->second.candidate;
  return known->second.size;
}

// Looks for the marker at the candidate's path, then with "scenery\scenery" read as "scenery"
// for a line that names the add-on folder's scenery sub-folder itself; the candidate then
// becomes that sub-folder's parent.
bool SceneryConfigScan::findMarker(Candidate& candidate) {
  if (files_.fileExists(candidate.markerPath)) return true;
  const std::string alternative = replaceAll(candidate.markerPath, "scenery\\scenery", "scenery");
  if (!files_.fileExists(alternative)) return false;
  candidate.markerPath = alternative;
  candidate.folderPath = replaceAll(alternative, kMarkerSuffix, "");
  return true;
}

std::optional<uint64_t> SceneryConfigScan::markerSize(const std::string& markerPath) {
  try {
    return files_.fileSize(markerPath);
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
}

void SceneryConfigScan::append(const std::string& label, const AddonVersion& version,
                               const std::string& folderPath) {
  appendCandidate(list1_, list2_, folderPath, label + version.displayText + folderPath,
                  version.preselected);
}

}  // namespace tarvik
