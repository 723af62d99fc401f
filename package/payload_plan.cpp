#include "package/payload_plan.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "package/payload_names.h"
#include "package/payload_sizes.h"
#include "package/random.h"

namespace tarvik::package {
namespace {

constexpr uint64_t kPayloadSeed = 0x74617276696B3230;  // "tarvik20"

struct FolderFile {
  std::string bareName;
  PayloadKind kind;
  uint32_t size = 0;
  bool markedAsText = false;
};

PayloadKind kindOf(std::string_view extension) {
  if (extension == ".bgl") return PayloadKind::SceneryBgl;
  if (extension == ".bmp") return PayloadKind::Bitmap;
  if (extension == ".pat") return PayloadKind::Pattern;
  if (extension == ".r8") return PayloadKind::Raw8;
  return PayloadKind::AfTexture;
}

std::vector<std::string_view> textureExtensions(Random& random) {
  std::vector<std::string_view> extensions(payload::kBitmaps, ".bmp");
  for (const auto& [extension, count] : payload::kOtherTextures)
    extensions.insert(extensions.end(), count, extension);
  if (extensions.size() != payload::kTextureFiles)
    throw std::logic_error("texture extension counts do not add up");
  random.shuffle(extensions);
  return extensions;
}

bool lessWithoutCase(const FolderFile& a, const FolderFile& b) {
  return lowerCase(a.bareName) < lowerCase(b.bareName);
}

// Gives the file at markerAt the size of the version 2.1 marker and moves the difference to
// another file whose size stays inside the payload's range and below the largest, so that the
// folder's total is unchanged.
void setMarkerSize(std::vector<uint32_t>& sizes, size_t markerAt, size_t largestAt) {
  const int64_t difference = int64_t{sizes[markerAt]} - payload::kMarkerSize;
  for (size_t i = 0; i < sizes.size(); ++i) {
    const int64_t changed = int64_t{sizes[i]} + difference;
    if (i == markerAt || i == largestAt || changed <= payload::kSmallestFile ||
        changed >= payload::kLargestFile)
      continue;
    sizes[i] = static_cast<uint32_t>(changed);
    sizes[markerAt] = payload::kMarkerSize;
    return;
  }
  throw std::logic_error("no scenery file can take the marker's size difference");
}

// The scenery files; the one at longestAt gets the longest name, the one at largestAt the
// largest size, and one without capitals becomes the add-on's marker, "qiro.bgl" of version 2.1,
// so that an updated folder is found as version 2.1 afterwards.
std::vector<FolderFile> planScenery(PayloadNames& names, const std::vector<bool>& capitals,
                                    Random& random) {
  const size_t longestAt = random.below(payload::kSceneryFiles);
  const size_t largestAt = random.below(payload::kSceneryFiles);
  size_t markerAt = random.below(payload::kSceneryFiles);
  while (capitals[markerAt] || markerAt == longestAt || markerAt == largestAt)
    markerAt = (markerAt + 1) % payload::kSceneryFiles;
  std::vector<uint32_t> sizes =
      spreadSizes(payload::kSceneryFiles, payload::kSceneryBytes,
                  {payload::kSmallestFile, payload::kLargestFile}, std::nullopt, largestAt, random);
  setMarkerSize(sizes, markerAt, largestAt);
  std::vector<FolderFile> files;
  for (size_t i = 0; i < payload::kSceneryFiles; ++i) {
    NameRequest request{".bgl", capitals[i], false, 0};
    if (i == longestAt)
      request.exactLength = payload::kLongestName - payload::kSceneryFolder.size();
    const std::string name =
        i == markerAt ? std::string(payload::kMarkerName) : names.sceneryName(request);
    files.push_back({name, PayloadKind::SceneryBgl, sizes[i], false});
  }
  return files;
}

// The texture files; the pattern file is the smallest of the payload, one bitmap has a blank in
// its name, and a fixed share carries the text mark.
std::vector<FolderFile> planTextures(PayloadNames& names, const std::vector<bool>& capitals,
                                     Random& random) {
  const std::vector<std::string_view> extensions = textureExtensions(random);
  const auto patternAt = static_cast<size_t>(
      std::find(extensions.begin(), extensions.end(), ".pat") - extensions.begin());
  const auto spaceAt = static_cast<size_t>(std::find(extensions.begin(), extensions.end(), ".bmp") -
                                           extensions.begin());
  const std::vector<uint32_t> sizes =
      spreadSizes(payload::kTextureFiles, payload::kTextureBytes,
                  {payload::kSmallestFile, payload::kLargestFile}, patternAt, std::nullopt, random);
  const std::vector<bool> textMarks =
      random.pick(payload::kTextMarkedTextures, payload::kTextureFiles);
  std::vector<FolderFile> files;
  for (size_t i = 0; i < payload::kTextureFiles; ++i) {
    const NameRequest request{extensions[i], capitals[i], i == spaceAt, 0};
    files.push_back({names.textureName(request), kindOf(extensions[i]), sizes[i], textMarks[i]});
  }
  return files;
}

// Sorted by name, with `late` files drawn out of the order and moved to the back.
std::pair<std::vector<FolderFile>, std::vector<FolderFile>> splitOffLate(
    std::vector<FolderFile> files, size_t late, Random& random) {
  std::sort(files.begin(), files.end(), lessWithoutCase);
  std::vector<FolderFile> lateFiles;
  for (size_t i = 0; i < late; ++i) {
    const auto at = files.begin() + static_cast<std::ptrdiff_t>(random.below(files.size()));
    lateFiles.push_back(std::move(*at));
    files.erase(at);
  }
  return {std::move(files), std::move(lateFiles)};
}

class EntryList {
 public:
  explicit EntryList(Random& random) : random_(random) {}

  void addFile(std::string_view folder, FolderFile file) {
    entries_.push_back({std::string(folder) + file.bareName, file.kind, file.size, randomTime(),
                        file.markedAsText, random_.next()});
  }
  void addFolder(std::string_view folder) {
    entries_.push_back({std::string(folder), PayloadKind::Folder, 0, payload::kLatest, false, 0});
  }
  std::vector<PayloadEntry> take() { return std::move(entries_); }

 private:
  DosDateTime randomTime() {
    const int64_t earliest = payload::kEarliest.secondsSince1980();
    const int64_t steps = (payload::kLatest.secondsSince1980() - earliest) / 2;
    // The first file carries the earliest time, so the payload spans the whole range.
    const int64_t step = entries_.empty() ? 0 : static_cast<int64_t>(random_.below(steps + 1));
    return DosDateTime::fromSecondsSince1980(earliest + 2 * step);
  }

  Random& random_;
  std::vector<PayloadEntry> entries_;
};

}  // namespace

std::vector<PayloadEntry> payloadPlan() {
  Random random(kPayloadSeed);
  PayloadNames names(random);
  const std::vector<bool> capitals =
      random.pick(payload::kNamesWithCapitals, payload::kSceneryFiles + payload::kTextureFiles);
  const std::vector<bool> sceneryCapitals(capitals.begin(),
                                          capitals.begin() + payload::kSceneryFiles);
  const std::vector<bool> textureCapitals(capitals.begin() + payload::kSceneryFiles,
                                          capitals.end());

  auto [scenery, lateScenery] =
      splitOffLate(planScenery(names, sceneryCapitals, random),
                   payload::kSceneryFiles - payload::kLeadingScenery, random);
  auto [textures, lateTextures] =
      splitOffLate(planTextures(names, textureCapitals, random),
                   payload::kTextureFiles - payload::kLeadingTextures, random);

  EntryList entries(random);
  for (FolderFile& file : textures) entries.addFile(payload::kTextureFolder, std::move(file));
  entries.addFolder(payload::kTextureFolder);
  for (FolderFile& file : scenery) entries.addFile(payload::kSceneryFolder, std::move(file));
  entries.addFolder(payload::kSceneryFolder);
  entries.addFile(payload::kTextureFolder, std::move(lateTextures[0]));
  entries.addFile(payload::kTextureFolder, std::move(lateTextures[1]));
  entries.addFile(payload::kSceneryFolder, std::move(lateScenery[0]));
  entries.addFile(payload::kTextureFolder, std::move(lateTextures[2]));
  return entries.take();
}

}  // namespace tarvik::package
