#pragma once
// The Win32 implementations of the platform interfaces.

#include <memory>

#include "platform/file_system.h"
#include "platform/registry.h"

namespace tarvik {

std::unique_ptr<Registry> makeWin32Registry();
std::unique_ptr<FileSystem> makeWin32FileSystem();

}  // namespace tarvik
