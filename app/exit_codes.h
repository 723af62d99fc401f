#pragma once
// The installer's exit codes, for scripts and deployment tools that start it.

namespace tarvik::exit_code {

// Every ticked folder was updated (or none was ticked).
inline constexpr int kUpdated = 0;
// The update of a folder failed, or a run-time error ended the program.
inline constexpr int kFolderFailed = 1;
// The user cancelled: at a check before any change, or by closing the window. Nothing changed.
inline constexpr int kCancelled = 2;
// The installer's own archive cannot be read. Nothing changed.
inline constexpr int kPayloadUnreadable = 3;
// This instance handed over to a new one started with administrator rights. Nothing changed.
inline constexpr int kRestartedAsAdministrator = 4;
// The unzip library beside the installer is missing, or is not the one the installer was built
// with. Nothing changed.
inline constexpr int kLibraryRefused = 5;

}  // namespace tarvik::exit_code
