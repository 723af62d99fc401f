#include "app/installer_window.h"

#include "app/installer_texts.h"
#include "app/update_application.h"
#include "discovery/simulator_detection.h"

namespace tarvik {
namespace {

// The library's last printed text explains a failure; without one, say what is known.
std::string failureReason(const std::string& lastLibraryText) {
  return lastLibraryText.empty() ? "The unzip library reported an error." : lastLibraryText;
}

}  // namespace

Tarvik_installer_main::Tarvik_installer_main(WindowControls& controls, Registry& registry,
                                             FileSystem& files, std::string installerPath)
    : controls_(controls),
      registry_(registry),
      files_(files),
      installerPath_(std::move(installerPath)),
      scan_(files, controls.list1(), controls.list2()) {}

void Tarvik_installer_main::Form_Load() { DetectSimulators(); }

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
  progress_.emplace(controls_, listMemberSizes(installerPath_),
                    1 + tickedEntries(controls_.list2()));

  pakket = std::make_unique<cUnzip>();
  pakket->bind(*this);
  if (!payloadIsReadable()) {
    failRun("The update cannot be installed: the installer's own archive cannot be read.\n\n" +
            failureReason(lastLibraryText_) + "\n\nNothing was changed.");
    return;
  }
  progress_->stepFinished();

  CheckList& List1 = controls_.list1();
  CheckList& List2 = controls_.list2();
  const int16_t n = static_cast<int16_t>(List1.count());
  for (int16_t i = 0; i < n; ++i) {
    if (!List2.selected(i)) continue;
    List1.setListIndex(i);
    updateFolder(List1.currentText());
    if (!running_) return;
    progress_->stepFinished();
    controls_.setCaption(ControlId::Label9, "");
    controls_.yield();
  }
  controls_.showMessage(std::string(kUpdateInstalled), std::string(kAppTitle));
  controls_.endProgram();
}

bool Tarvik_installer_main::anyFolderTicked() const {
  CheckList& List2 = controls_.list2();
  for (int i = 0; i < List2.count(); ++i) {
    if (List2.selected(i)) return true;
  }
  return false;
}

void Tarvik_installer_main::hideSelectionControls() {
  for (const ControlId control :
       {ControlId::Command1, ControlId::AddFolder, ControlId::List1, ControlId::List2,
        ControlId::Label2, ControlId::Label3, ControlId::Label4, ControlId::Label5,
        ControlId::Label6})
    controls_.setVisible(control, false);
  controls_.setVisible(ControlId::Label7, true);
}

// Tests the whole archive before any folder is touched, so that a damaged or missing payload
// changes nothing.
bool Tarvik_installer_main::payloadIsReadable() {
  if (installerPath_.empty()) return false;
  lastLibraryText_.clear();
  pakket->TestZip(true);
  pakket->ZipFile(installerPath_);
  const bool failed = pakket->Unzip();
  pakket->TestZip(false);
  controls_.setCaption(ControlId::Label9, "");
  return !failed;
}

void Tarvik_installer_main::updateFolder(const std::string& folder) {
  ClearFolderAttributes(folder + "\\scenery\\");
  ClearFolderAttributes(folder + "\\texture\\");
  DeleteObsoleteFiles(folder + "\\scenery\\");
  pakket->UseFolderNames(true);
  pakket->ZipFile(installerPath_);
  pakket->UnzipFolder(folder);
  pakket->OverwriteExisting(true);
  lastLibraryText_.clear();
  if (pakket->Unzip()) {
    failRun("The update of " + folder + " failed.\n\n" + failureReason(lastLibraryText_) +
            "\n\nFolders before it in the list were updated; this folder may be only partly "
            "updated and the folders after it were not changed.");
  }
}

// Stops the run: the user reads why, and the program ends without a success message.
void Tarvik_installer_main::failRun(const std::string& message) {
  running_ = false;
  controls_.showWarning(message, std::string(kAppTitle));
  controls_.endProgram();
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
