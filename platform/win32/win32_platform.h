#pragma once
// The Win32 implementations of the platform interfaces.

#include <memory>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/write_access.h"

namespace tarvik {

std::unique_ptr<Registry> makeWin32Registry();
std::unique_ptr<FileSystem> makeWin32FileSystem();
std::unique_ptr<WriteAccess> makeWin32WriteAccess();

}  // namespace tarvik
