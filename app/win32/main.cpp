// tarvik_installer: finds the Tarvik add-on's folders, lets the user tick the ones to update
// and updates them from the archive appended to this program's file.

#include <windows.h>

#include "app/exit_codes.h"
#include "app/handlers.h"
#include "app/handover.h"
#include "app/installer_texts.h"
#include "app/installer_window.h"
#include "app/win32/main_window.h"
#include "app/win32/message_loop.h"
#include "platform/program.h"
#include "platform/runtime_error.h"
#include "platform/simulator_view.h"
#include "platform/win32/system_library.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace {

// commandLine: what follows the program's name. The program takes no command line of its own;
// only the hand-over of an instance without administrator rights means something.
int runInstaller(const std::string& commandLine, int showCommand) {
  using namespace tarvik;
  const std::optional<Handover> handover = handoverFromCommandLine(commandLine);
  MainWindow window;
  const auto registry = makeWin32Registry();
  const auto files = makeWin32FileSystem();
  // Discovery, the checks and the update see the folders as the simulators of the user who
  // started the installer see them.
  VirtualStore store = virtualStoreOfThisUser();
  if (handover) store.folder = handover->virtualStore;
  SimulatorView simulatorView(*files, store);
  const auto access = makeWin32WriteAccess(window.handle());
  Tarvik_installer_main installer(window, *registry, simulatorView, *access, executablePath(),
                                  store.folder, handover);
  window.attach(installer);

  runHandler(window, [&installer] { installer.Form_Load(); });
  window.show(showCommand);
  if (handover) window.pressInstall();  // the user pressed it in the instance that handed over
  return runMessageLoop();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int showCommand) {
  using namespace tarvik;
  restrictLibrarySearchToSystemFolder();
  try {
    return runInstaller(narrow(commandLine ? commandLine : L""), showCommand);
  } catch (const RuntimeError& error) {
    // Only the window's own creation fails outside a handler's trap.
    MessageBoxW(nullptr, widen(runtimeErrorReport(error)).c_str(), widen(kAppTitle).c_str(),
                MB_OK | MB_ICONWARNING);
    return exit_code::kFolderFailed;
  }
}
