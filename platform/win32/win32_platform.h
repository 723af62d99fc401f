#pragma once
// The Win32 implementations of the platform interfaces.

#include <windows.h>

#include <memory>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/virtual_store.h"
#include "platform/write_access.h"

namespace tarvik {

std::unique_ptr<Registry> makeWin32Registry();
std::unique_ptr<FileSystem> makeWin32FileSystem();
// owner: the window that Windows' question for administrator rights belongs to.
std::unique_ptr<WriteAccess> makeWin32WriteAccess(HWND owner = nullptr);

// The VirtualStore of the user running this program.
VirtualStore virtualStoreOfThisUser();

}  // namespace tarvik
