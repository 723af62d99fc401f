#pragma once
// The scan of one simulator's scenery.cfg: works out the folder of every configured scenery
// area, recognises the add-on's folders by their marker file, tells the version from the
// marker's size and appends one candidate per folder to the window's two parallel lists.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "discovery/addon_version.h"
#include "platform/file_system.h"
#include "platform/window_controls.h"

namespace tarvik {

class SceneryConfigScan {
 public:
  // List1 receives folder paths, List2 the display lines of the same folders.
  SceneryConfigScan(FileSystem& files, CheckList& List1, CheckList& List2);

  // Appends the candidates that simulatorFolder's scenery.cfg leads to, each display line
  // opening with label. A configuration that is missing or cannot be read adds nothing; once
  // the lists are full, nothing more is read.
  void ScanSceneryConfig(const std::string& simulatorFolder, const std::string& label);

  // The counter of "..\" levels of the latest parent-relative line.
  int16_t parentLevelCount() const { return parentLevelCount_; }

 private:
  struct Candidate {
    std::string markerPath;
    std::string folderPath;
  };
  // What the marker tests of one configuration found, by the marker path of the line: a folder
  // that many lines name is looked at once.
  struct MarkerFound {
    Candidate candidate;
    std::optional<uint64_t> size;
  };
  using MarkersFound = std::unordered_map<std::string, MarkerFound>;

  bool configExists(const std::string& configPath);
  std::optional<std::vector<std::string>> configLines(const std::string& configPath);
  std::optional<Candidate> candidateOf(const std::string& line, const std::string& simulatorFolder);
  std::optional<uint64_t> lookUpMarker(Candidate& candidate, MarkersFound& markersFound);
  bool findMarker(Candidate& candidate);
  std::optional<uint64_t> markerSize(const std::string& markerPath);
  void append(const std::string& label, const AddonVersion& version,
              const std::string& folderPath);

  FileSystem& files_;
  CheckList& list1_;
  CheckList& list2_;
  int16_t parentLevelCount_ = 0;
};

}  // namespace tarvik
