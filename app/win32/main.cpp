// tarvik_installer: finds the Tarvik add-on's folders, lets the user tick the ones to update
// and updates them from the archive appended to this program's file.

#include <windows.h>

#include "app/handlers.h"
#include "app/installer_window.h"
#include "app/win32/main_window.h"
#include "app/win32/message_loop.h"
#include "platform/program.h"
#include "platform/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  using namespace tarvik;
  MainWindow window;
  const auto registry = makeWin32Registry();
  const auto files = makeWin32FileSystem();
  const auto access = makeWin32WriteAccess();
  Tarvik_installer_main installer(window, *registry, *files, *access, executablePath());
  window.attach(installer);

  runHandler(window, [&installer] { installer.Form_Load(); });
  window.show(showCommand);
  return runMessageLoop();
}
