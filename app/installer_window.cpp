#include "app/installer_window.h"

#include "app/exit_codes.h"
#include "app/handover.h"
#include "app/installer_texts.h"
#include "app/payload_contents.h"
#include "app/staging_leftovers.h"
#include "app/update_application.h"
#include "app/update_checks.h"
#include "discovery/addon_version.h"
#include "discovery/candidate_lists.h"
#include "discovery/simulator_detection.h"
#include "platform/runtime_error.h"
#include "unzip/unzip_binding.h"

namespace tarvik {
namespace {

// The library's last printed text explains a failure; without one, say what is known.
std::string failureReason(const std::string& lastLibraryText) {
  return lastLibraryText.empty() ? "The unzip library reported an error." : lastLibraryText;
}

// Where member i of the archive lands in the folder.
std::string memberPath(const cUnzip& pakket, const std::string& folder, int32_t i) {
  const std::string directory = pakket.FileDirectory(i);
  return folder + "\\" + (directory.empty() ? "" : directory + "\\") + pakket.Filename(i);
}

// The directory index (from 1) of the marker file, or 0 when the archive does not carry it.
int32_t markerIndex(const cUnzip& pakket) {
  const std::string marker = foldedName(std::string(kMarkerSuffix).substr(1));
  for (int32_t i = 1; i <= pakket.FileCount(); ++i) {
    if (foldedName(pakket.FileDirectory(i) + "\\" + pakket.Filename(i)) == marker) return i;
  }
  return 0;
}

// Selects the marker alone, or every member but the marker.
void selectMarker(cUnzip& pakket, int32_t marker, bool markerAlone) {
  for (int32_t i = 1; i <= pakket.FileCount(); ++i)
    pakket.FileSelected(i, (i == marker) == markerAlone);
}

}  // namespace

Tarvik_installer_main::Tarvik_installer_main(WindowControls& controls, Registry& registry,
                                             FileSystem& files, WriteAccess& access,
                                             std::string installerPath, std::string virtualStore,
                                             std::optional<Handover> handover)
    : controls_(controls),
      registry_(registry),
      files_(files),
      access_(access),
      installerPath_(std::move(installerPath)),
      virtualStore_(std::move(virtualStore)),
      handover_(std::move(handover)),
      scan_(files, controls.list1(), controls.list2()) {}

void Tarvik_installer_main::Form_Load() {
  if (!handover_) return DetectSimulators();
  for (const HandedOverEntry& entry : handover_->entries)
    appendCandidate(controls_.list1(), controls_.list2(), entry.folder, entry.displayLine,
                    entry.ticked);
}

void Tarvik_installer_main::DetectSimulators() {
  tarvik::DetectSimulators(registry_, [this](const std::string& folder, const std::string& label) {
    scan_.ScanSceneryConfig(folder, label);
  });
}

void Tarvik_installer_main::ClearFolderAttributes(const std::string& folder) {
  tarvik::ClearFolderAttributes(files_, folder);
}

void Tarvik_installer_main::DeleteObsoleteFiles(const std::string& folder) {
  tarvik::DeleteObsoleteFiles(files_, folder);
}

void Tarvik_installer_main::AddFolder_Click() { controls_.showFolderPicker(); }

void Tarvik_installer_main::Command1_Click() {
  if (!anyFolderTicked()) {
    const bool nothingFound = controls_.list1().count() == 0;
    controls_.showMessage(std::string(nothingFound ? kNoFolderFound : kNoFolderSelected),
                          std::string(kAppTitle));
    return;
  }
  running_ = true;
  hideSelectionControls();
  controls_.yield();
  pakket = std::make_unique<cUnzip>();
  pakket->bind(*this);
  // The listing sizes the progress bar. A library that cannot be loaded lists nothing, and its
  // check tells why before anything changes.
  payload_ = listPayload(*pakket, installerPath_);
  progress_.emplace(controls_, memberSizes(payload_),
                    1 + static_cast<int>(tickedFolders().size()));
  if (!unzipLibraryLoads()) return;

  if (const auto path = pathTheLibraryCannotTake()) {
    failRun("The update cannot be installed: the name\n\n" + *path +
                "\n\ncannot be handled, because this system's code page cannot spell it and it "
                "has no short name that the code page can. Rename that folder, or move the "
                "installer to a folder with a plainer name, and start it again.\n\nNothing was "
                "changed.",
            *path == installerPath_ ? exit_code::kPayloadUnreadable : exit_code::kFolderFailed);
    return;
  }
  if (!payloadIsReadable()) {
    failRun("The update cannot be installed: the installer's own archive cannot be read.\n\n" +
                failureReason(lastLibraryText_) + "\n\nNothing was changed.",
            exit_code::kPayloadUnreadable);
    return;
  }
  progress_->stepFinished();
  std::vector<std::string> folders = tickedFolders();
  for (std::string& folder : folders) folder = files_.storedPath(folder);  // see updateFolder
  if (!updateCanStart(folders)) return;

  CheckList& List1 = controls_.list1();
  CheckList& List2 = controls_.list2();
  const int n = List1.count();
  for (int i = 0; i < n; ++i) {
    if (!List2.selected(i)) continue;
    List1.setListIndex(i);
    updateFolder(List1.currentText());
    if (!running_) return;
    progress_->stepFinished();
    controls_.setCaption(ControlId::Label9, "");
    controls_.yield();
  }
  controls_.showMessage(std::string(kUpdateInstalled), std::string(kAppTitle));
  controls_.endProgram(exit_code::kUpdated);
}

bool Tarvik_installer_main::anyFolderTicked() const { return !tickedFolders().empty(); }

std::vector<std::string> Tarvik_installer_main::tickedFolders() const {
  CheckList& List1 = controls_.list1();
  CheckList& List2 = controls_.list2();
  std::vector<std::string> folders;
  for (int i = 0; i < List1.count(); ++i) {
    if (List2.selected(i)) folders.push_back(List1.text(i));
  }
  return folders;
}

// The installer's own file or the first ticked folder that cannot be handed to the unzip
// library, if any.
std::optional<std::string> Tarvik_installer_main::pathTheLibraryCannotTake() const {
  if (!mUnzip::LibraryPathForm(installerPath_)) return installerPath_;
  for (const std::string& folder : tickedFolders()) {
    if (!mUnzip::LibraryPathForm(folder)) return folder;
  }
  return std::nullopt;
}

void Tarvik_installer_main::hideSelectionControls() {
  for (const ControlId control :
       {ControlId::Command1, ControlId::AddFolder, ControlId::List1, ControlId::List2,
        ControlId::Label2, ControlId::Label3, ControlId::Label4, ControlId::Label5,
        ControlId::Label6})
    controls_.setVisible(control, false);
  controls_.setVisible(ControlId::Label7, true);
}

// Loads the unzip library before anything else: one that is missing, or is not the installer's
// own, ends the run with its report, having changed nothing.
bool Tarvik_installer_main::unzipLibraryLoads() {
  try {
    mUnzip::CheckLibrary();
    return true;
  } catch (const RuntimeError& error) {
    failRun(runtimeErrorReport(error), exit_code::kLibraryRefused);
    return false;
  }
}

// Tests the whole archive before any folder is touched, so that a damaged or missing payload
// changes nothing.
bool Tarvik_installer_main::payloadIsReadable() {
  if (installerPath_.empty()) return false;
  lastLibraryText_.clear();
  pakket->TestZip(true);
  const bool failed = pakket->Unzip();
  pakket->TestZip(false);
  controls_.setCaption(ControlId::Label9, "");
  return !failed;
}

// Checks every folder before the first is touched. A failure is told with Retry and Cancel,
// and a protected folder with the offer to start again with administrator rights. False when
// the program ends here, having changed nothing.
bool Tarvik_installer_main::updateCanStart(const std::vector<std::string>& folders) {
  while (const auto failure = checkUpdate(folders, payload_, files_, access_)) {
    switch (controls_.askRetry(failure->message, std::string(kAppTitle),
                               failure->protectedFolder)) {
      case RetryAnswer::kRetry:
        break;
      case RetryAnswer::kRunAsAdministrator:
        if (!handOverToAdministrator()) break;
        running_ = false;
        controls_.endProgram(exit_code::kRestartedAsAdministrator);
        return false;
      case RetryAnswer::kCancel:
        running_ = false;
        controls_.endProgram(exit_code::kCancelled);
        return false;
    }
  }
  return true;
}

// Starts the installer again with administrator rights and hands it the list as it stands;
// false when it did not start.
bool Tarvik_installer_main::handOverToAdministrator() {
  const std::optional<Handover> handover = handoverForAdministrator();
  return handover && access_.restartAsAdministrator(handoverArgument(*handover));
}

// The list for the new instance, each folder as a program with administrator rights reaches
// it. A ticked folder on a network drive whose network path cannot be had is handed over
// unticked, and the user is told. A list too long for a command line is handed over with its
// ticked entries only; nothing when even they are too many, which the user is told.
std::optional<Handover> Tarvik_installer_main::handoverForAdministrator() {
  CheckList& List1 = controls_.list1();
  CheckList& List2 = controls_.list2();
  Handover all{{}, virtualStore_};
  std::string unreachable;
  for (int i = 0; i < List1.count(); ++i) {
    HandedOverEntry entry{List1.text(i), List2.text(i), List2.selected(i)};
    const auto reachable = access_.pathForAdministrator(entry.folder);
    if (!reachable && entry.ticked) unreachable += "  " + entry.folder + "\n";
    if (reachable && *reachable != entry.folder) {
      if (entry.displayLine.ends_with(entry.folder))
        entry.displayLine.replace(entry.displayLine.size() - entry.folder.size(),
                                  entry.folder.size(), *reachable);
      entry.folder = *reachable;
    }
    entry.ticked = entry.ticked && reachable;
    all.entries.push_back(std::move(entry));
  }
  if (!unreachable.empty())
    controls_.showWarning(std::string(kNetworkFoldersUnreachable) + "\n\n" + unreachable,
                          std::string(kAppTitle));
  const auto fits = [this](const Handover& handover) {
    return installerPath_.size() + handoverArgument(handover).size() + 3 <= kLongestCommandLine;
  };
  if (fits(all)) return all;
  Handover ticked{{}, virtualStore_};
  for (const HandedOverEntry& entry : all.entries)
    if (entry.ticked) ticked.entries.push_back(entry);
  if (fits(ticked)) return ticked;
  controls_.showWarning(std::string(kTooManyFoldersToHandOver), std::string(kAppTitle));
  return std::nullopt;
}

// The folder as the list names it; every file operation and the library use the folder as the
// file system stores it, which saves Wine a search through each folder on the way for each file.
void Tarvik_installer_main::updateFolder(const std::string& listed) {
  const std::string folder = files_.storedPath(listed);
  ClearFolderAttributes(folder + "\\scenery\\");
  ClearFolderAttributes(folder + "\\texture\\");
  DeleteObsoleteFiles(folder + "\\scenery\\");
  RemoveStagingLeftovers(files_, folder + "\\scenery\\");
  RemoveStagingLeftovers(files_, folder + "\\texture\\");
  pakket->UseFolderNames(true);
  pakket->UnzipFolder(files_.folderForNewFiles(folder));
  pakket->OverwriteExisting(true);
  lastLibraryText_.clear();
  if (!extractMarkerLast(folder)) {
    failRun("The update of " + listed + " failed.\n\n" + failureReason(lastLibraryText_) +
                "\n\nFolders before it in the list were updated. This folder keeps its old "
                "version mark, so the installer offers it again: run it once more when the "
                "cause is mended. The folders after it were not changed.",
            exit_code::kFolderFailed);
  }
}

// Extracts every file but the marker, then the marker alone, so that a folder shows the new
// version only once it holds every other file of it; each part is revealed where the simulator
// looks before the next begins. False when the library or the file system reported a failure.
// The run's listing serves every folder; an archive that it found empty is listed again.
bool Tarvik_installer_main::extractMarkerLast(const std::string& folder) {
  if (pakket->FileCount() == 0) pakket->Directory();
  const int32_t marker = markerIndex(*pakket);
  if (marker == 0) return !pakket->Unzip() && revealExtracted(folder);
  selectMarker(*pakket, marker, false);
  if (pakket->Unzip() || !revealExtracted(folder)) return false;
  selectMarker(*pakket, marker, true);
  return !pakket->Unzip() && revealExtracted(folder);
}

// Removes whatever would hide the files just extracted into the folder (the selected members)
// from the simulator; false, with the reason, when it cannot.
bool Tarvik_installer_main::revealExtracted(const std::string& folder) {
  std::vector<std::string> extracted;
  for (int32_t i = 1; i <= pakket->FileCount(); ++i) {
    if (pakket->FileSelected(i)) extracted.push_back(memberPath(*pakket, folder, i));
  }
  try {
    files_.revealNewFiles(extracted);
    return true;
  } catch (const RuntimeError& error) {
    lastLibraryText_ = "error: cannot remove the copy that the simulator sees instead of " +
                       error.description();
    return false;
  }
}

// Stops the run: the user reads why, and the program ends without a success message.
void Tarvik_installer_main::failRun(const std::string& message, int exitCode) {
  running_ = false;
  controls_.showWarning(message, std::string(kAppTitle));
  controls_.endProgram(exitCode);
}

void Tarvik_installer_main::Progress(int32_t lCount, const std::string& sMsg) {
  pakket_Progress(lCount, sMsg);
}

void Tarvik_installer_main::pakket_Progress(int32_t /*lCount*/, const std::string& sMsg) {
  lastLibraryText_ = sMsg;
  controls_.setCaption(ControlId::Label9, sMsg);
  if (progress_) progress_->libraryPrinted(sMsg);
  controls_.yield();
}

}  // namespace tarvik
