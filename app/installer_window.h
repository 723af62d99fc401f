#pragma once
// Tarvik_installer_main: the behaviour of the installer's main window. Loading it finds the
// add-on's folders; the install button updates every ticked folder from the archive appended to
// the installer's own file, then reports success and ends the program. The Win32 window
// (app/win32) is a thin shell around it that supplies the controls.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/handover.h"
#include "app/run_progress.h"
#include "discovery/scenery_config_scan.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/window_controls.h"
#include "platform/write_access.h"
#include "unzip/unzip_component.h"

namespace tarvik {

class Tarvik_installer_main : private UnzipEventListener {
 public:
  // installerPath is the full path of the running installer, whose appended archive is the
  // payload. access answers the checks made before an update changes anything. virtualStore is
  // the VirtualStore of the user who started the installer; handover, the choice that an
  // instance without administrator rights handed to this one.
  Tarvik_installer_main(WindowControls& controls, Registry& registry, FileSystem& files,
                        WriteAccess& access, std::string installerPath,
                        std::string virtualStore = {},
                        std::optional<Handover> handover = std::nullopt);

  // The window's handlers. Call them through runHandler (app/handlers.h). Form_Load finds the
  // add-on's folders, or shows exactly the list that was handed over.
  void Form_Load();
  void Command1_Click();
  void AddFolder_Click();

  // True from the moment the install run starts: the window must then not be closed.
  bool running() const { return running_; }

  void DetectSimulators();
  void ClearFolderAttributes(const std::string& folder);
  void DeleteObsoleteFiles(const std::string& folder);

 private:
  void Progress(int32_t lCount, const std::string& sMsg) override;
  void pakket_Progress(int32_t lCount, const std::string& sMsg);

  bool anyFolderTicked() const;
  std::vector<std::string> tickedFolders() const;
  std::optional<std::string> pathTheLibraryCannotTake() const;
  void hideSelectionControls();
  bool unzipLibraryLoads();
  bool payloadIsReadable();
  bool updateCanStart(const std::vector<std::string>& folders);
  bool handOverToAdministrator();
  std::optional<Handover> handoverForAdministrator();
  void updateFolder(const std::string& listed);
  bool extractMarkerLast(const std::string& folder);
  bool revealExtracted(const std::string& folder);
  void failRun(const std::string& message, int exitCode);

  WindowControls& controls_;
  Registry& registry_;
  FileSystem& files_;
  WriteAccess& access_;
  std::string installerPath_;
  std::string virtualStore_;
  std::optional<Handover> handover_;
  SceneryConfigScan scan_;
  std::unique_ptr<cUnzip> pakket;
  std::vector<PayloadFile> payload_;  // the archive's files, listed when the run starts
  std::string lastLibraryText_;
  std::optional<RunProgress> progress_;
  bool running_ = false;
};

}  // namespace tarvik
