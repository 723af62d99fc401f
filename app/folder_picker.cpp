#include "app/folder_picker.h"

#include <string>

#include "app/installer_texts.h"
#include "discovery/candidate_lists.h"

namespace tarvik {

dlgSelectDir::dlgSelectDir(FolderPickerControls& controls, CheckList& List1, CheckList& List2)
    : controls_(controls), List1_(List1), List2_(List2) {}

void dlgSelectDir::Drive1_Change() { controls_.setDirectoryPath(controls_.drive()); }

void dlgSelectDir::Dir1_Change() { controls_.setFileListPath(controls_.directoryPath()); }

void dlgSelectDir::cmdselecteer_Click() {
  controls_.hide();
  const std::string folder = controls_.directoryPath();
  appendCandidate(List1_, List2_, folder,
                  std::string(kPickedSimulatorColumn) + std::string(kPickedVersionColumn) + folder,
                  true);
}

void dlgSelectDir::cmdAnnuleer_Click() { controls_.hide(); }

}  // namespace tarvik
