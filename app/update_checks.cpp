#include "app/update_checks.h"

#include <algorithm>
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

// The drive as the user knows it from a folder's path: "C:" or "\\server\share".
std::string driveNameOf(const std::string& folder) {
  if (folder.size() >= 2 && folder[1] == ':') return folder.substr(0, 2);
  if (!folder.starts_with("\\\\")) return folder;
  const std::size_t share = folder.find('\\', 2);
  return share == std::string::npos ? folder : folder.substr(0, folder.find('\\', share + 1));
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

  // The files of the update are written to the folder where the file system keeps them (for a
  // folder that Windows virtualizes, possibly the copy in the VirtualStore); every stored copy
  // of a file that the update changes must allow it.
  void examine(const std::string& folder) {
    if (!seen_.insert(foldedName(folder)).second) return;
    const std::string written = files_.folderForNewFiles(folder);
    examineRights(written);
    ExistingSizes existing;
    for (const char* sub : kSubFolders) {
      const std::string path = folder + "\\" + sub;
      if (!files_.attributes(path)) continue;
      examineRights(written + "\\" + sub);
      examineFiles(path, sub, existing);
    }
    examineSpace(written, existing);
  }

  std::optional<CheckFailure> verdict() const {
    if (!protected_.empty()) return protectedFailure();
    if (!inUse_.empty()) return inUseFailure();
    for (const auto& [volume, need] : volumes_) {
      if (need.space && need.space->freeBytes < need.bytes) return spaceFailure(need);
    }
    return std::nullopt;
  }

 private:
  struct VolumeNeed {
    std::string drive;  // as the first folder on it names it
    std::optional<VolumeSpace> space;
    uint64_t bytes = 0;
  };

  void examineRights(const std::string& folder) {
    if (access_.canCreateIn(folder) == Access::kDenied) protected_.push_back(folder);
  }

  // A file's size counts as its smallest copy's, so that its growth is not counted short.
  void examineFiles(const std::string& folder, const std::string& sub, ExistingSizes& existing) {
    for (const std::string& path : files_.filesIn(folder)) {
      const std::string key = foldedName(sub + "\\" + fileNameOf(path));
      const bool replaceOrDelete =
          replaced_.count(key) != 0 || isStagingFileName(fileNameOf(path));
      for (const StoredFile& copy : files_.storedFiles(path)) {
        switch (access_.canChange(copy.path, replaceOrDelete)) {
          case Access::kInUse:
            inUse_.push_back(copy.path);
            break;
          case Access::kDenied:
            protected_.push_back(copy.path);
            break;
          case Access::kAllowed: {
            const auto [size, added] = existing.try_emplace(key, copy.size);
            size->second = std::min(size->second, copy.size);
            break;
          }
          case Access::kMissing:
            break;
        }
      }
    }
  }

  // Folders on one volume count together, whatever names lead to it; a volume whose serial the
  // system does not tell is known by its drive's name.
  void examineSpace(const std::string& folder, const ExistingSizes& existing) {
    const std::optional<VolumeSpace> space = access_.space(folder);
    const std::string drive = driveNameOf(folder);
    const std::string volume =
        space && space->serial ? std::to_string(*space->serial) + " serial" : foldedName(drive);
    auto [entry, added] = volumes_.try_emplace(volume);
    VolumeNeed& need = entry->second;
    if (added) {
      need.drive = drive;
      need.space = space;
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

  CheckFailure spaceFailure(const VolumeNeed& need) const {
    const std::string& drive = need.drive;
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
