#include "app/update_checks.h"

#include <map>
#include <set>
#include <string_view>

#include "app/obsolete_files.h"
#include "app/payload_contents.h"
#include "app/space_needed.h"
#include "app/staging_leftovers.h"

namespace tarvik {
namespace {

constexpr const char* kSubFolders[] = {"scenery", "texture"};
constexpr std::size_t kFilesListed = 10;
constexpr char kNothingChanged[] = "Nothing has been changed.";

// "  C:\a\b" lines, at most kFilesListed of them.
std::string listed(const std::vector<std::string>& paths) {
  std::string text;
  for (std::size_t i = 0; i < paths.size() && i < kFilesListed; ++i) text += "  " + paths[i] + "\n";
  if (paths.size() > kFilesListed)
    text += "  ... and " + std::to_string(paths.size() - kFilesListed) + " more\n";
  return text;
}

std::string driveName(std::string volume) {
  if (volume.size() > 1 && volume.back() == '\\') volume.pop_back();
  return volume;
}

class UpdateCheck {
 public:
  UpdateCheck(const std::vector<PayloadFile>& payload, FileSystem& files, WriteAccess& access)
      : payload_(payload), files_(files), access_(access) {
    for (const PayloadFile& file : payload)
      replaced_.insert(foldedName(file.folder + "\\" + file.name));
    for (const std::string_view name : kObsoleteFiles)
      replaced_.insert(foldedName("scenery\\" + std::string(name)));
  }

  void examine(const std::string& folder) {
    if (!seen_.insert(foldedName(folder)).second) return;
    examineRights(folder);
    ExistingSizes existing;
    for (const char* sub : kSubFolders) {
      const std::string path = folder + "\\" + sub;
      if (!files_.attributes(path)) continue;
      examineRights(path);
      examineFiles(path, sub, existing);
    }
    examineSpace(folder, existing);
  }

  std::optional<CheckFailure> verdict() const {
    if (!protected_.empty()) return protectedFailure();
    if (!inUse_.empty()) return inUseFailure();
    for (const auto& [volume, need] : volumes_) {
      if (need.space && need.space->freeBytes < need.bytes) return spaceFailure(volume, need);
    }
    return std::nullopt;
  }

 private:
  struct VolumeNeed {
    std::optional<VolumeSpace> space;
    uint64_t bytes = 0;
  };

  void examineRights(const std::string& folder) {
    if (access_.canCreateIn(folder) == Access::kDenied) protected_.push_back(folder);
  }

  void examineFiles(const std::string& folder, const std::string& sub, ExistingSizes& existing) {
    for (const std::string& path : files_.filesIn(folder)) {
      const std::string key = foldedName(sub + "\\" + fileNameOf(path));
      const bool replaceOrDelete =
          replaced_.count(key) != 0 || isStagingFileName(fileNameOf(path));
      switch (access_.canChange(path, replaceOrDelete)) {
        case Access::kInUse:
          inUse_.push_back(path);
          break;
        case Access::kDenied:
          protected_.push_back(path);
          break;
        case Access::kAllowed:
          existing[key] = files_.fileSize(path);
          break;
        case Access::kMissing:
          break;
      }
    }
  }

  void examineSpace(const std::string& folder, const ExistingSizes& existing) {
    const std::string volume = access_.volumeOf(folder);
    auto [entry, added] = volumes_.try_emplace(volume);
    VolumeNeed& need = entry->second;
    if (added) {
      need.space = access_.space(volume);
      if (need.space) need.bytes = stagingAllowance(payload_, need.space->clusterBytes);
    }
    if (need.space) need.bytes += folderGrowth(payload_, existing, need.space->clusterBytes);
  }

  CheckFailure protectedFailure() const {
    return {true,
            "The update cannot be installed yet: this program may not change\n\n" +
                listed(protected_) +
                "\nWindows denies access: the folder is protected (as Program Files is for "
                "programs without administrator rights) or read-only.\n\nPress \"Run as "
                "administrator\" to start the installer again with administrator rights, or "
                "Cancel to end it. " +
                kNothingChanged};
  }

  CheckFailure inUseFailure() const {
    const std::vector<std::string> programs = access_.programsUsing(inUse_);
    std::string who;
    for (const std::string& program : programs) who += (who.empty() ? "" : ", ") + program;
    return {false, "The update cannot be installed yet: another program is using\n\n" +
                       listed(inUse_) + "\n" +
                       (who.empty() ? std::string("Close the flight simulator and any other "
                                                  "program that may use these files")
                                    : "In use by: " + who + ".\n\nClose it") +
                       ", then press Retry. Cancel ends the installer. " + kNothingChanged};
  }

  CheckFailure spaceFailure(const std::string& volume, const VolumeNeed& need) const {
    const std::string drive = driveName(volume);
    return {false, "The update cannot be installed yet: drive " + drive +
                       " does not have enough free space.\n\nNeeded: " +
                       describeBytes(need.bytes) + "\nFree: " +
                       describeBytes(need.space->freeBytes) + "\n\nFree at least " +
                       describeBytes(need.bytes - need.space->freeBytes) + " on drive " + drive +
                       ", then press Retry. Cancel ends the installer. " + kNothingChanged};
  }

  const std::vector<PayloadFile>& payload_;
  FileSystem& files_;
  WriteAccess& access_;
  std::set<std::string> replaced_;  // folded "sub\name" of the files the update replaces or deletes
  std::set<std::string> seen_;
  std::vector<std::string> protected_;
  std::vector<std::string> inUse_;
  std::map<std::string, VolumeNeed> volumes_;
};

}  // namespace

std::optional<CheckFailure> checkUpdate(const std::vector<std::string>& folders,
                                        const std::vector<PayloadFile>& payload,
                                        FileSystem& files, WriteAccess& access) {
  UpdateCheck check(payload, files, access);
  for (const std::string& folder : folders) check.examine(folder);
  return check.verdict();
}

}  // namespace tarvik
