#pragma once
// Moves, replacements and deletions of files that another program may hold for a moment
// (held_file_retry.h), on Windows. The installer's file operations and the unzip library both
// use it.

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace tarvik {

// Whether the last failure (GetLastError) on the files is one that a short hold by another
// program makes: a sharing or lock violation, or access denied where every file that exists is
// neither read-only, nor protected (this process can open it for `access`), nor a folder. The
// last error is kept.
bool failedForAMomentaryHold(std::initializer_list<std::wstring> paths, DWORD access);

// Runs attempt, and again after a pause while it fails for a momentary hold on the files, up to
// HeldFileBackoff::kBound. True when it succeeded; otherwise GetLastError is its last failure.
bool retryWhileHeld(std::initializer_list<std::wstring> paths, DWORD access,
                    const std::function<bool()>& attempt);

}  // namespace tarvik
