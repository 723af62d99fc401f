#pragma once
// What the installer asks the system before it changes anything: how much room a drive has, and
// whether the files and folders of an update can be changed by this process right now. Paths
// are Windows-style and UTF-8, as for FileSystem. The Win32 implementation asks Windows; tests
// use doubles.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvik {

struct VolumeSpace {
  uint64_t freeBytes = 0;     // free for the user running the program (quotas counted)
  uint64_t clusterBytes = 0;  // the allocation unit: every file takes a whole number of them
  // Tells volumes apart, whatever names lead to them (a drive letter, a share, a junction);
  // nullopt where the system gives none.
  std::optional<uint32_t> serial;
};

enum class Access {
  kAllowed,
  kInUse,   // another program holds the file open without sharing it
  kDenied,  // this process lacks the rights, or the file or folder is protected
  kMissing,
};

class WriteAccess {
 public:
  virtual ~WriteAccess() = default;

  // The volume that holds an existing folder, links and junctions on the way followed: its free
  // space, allocation unit and serial number; nullopt when the system cannot tell.
  virtual std::optional<VolumeSpace> space(const std::string& folder) = 0;
  // Whether an existing file can be opened now for the change the update makes: resetting its
  // attributes, and with replaceOrDelete also replacing or deleting it. Changes nothing.
  virtual Access canChange(const std::string& file, bool replaceOrDelete) = 0;
  // Whether this process can create files in the folder, tried with a file that is gone again
  // when the call returns.
  virtual Access canCreateIn(const std::string& folder) = 0;
  // The names of the programs that hold any of the files open, as far as the system can tell.
  virtual std::vector<std::string> programsUsing(const std::vector<std::string>& files) = 0;
  // The folder as this program started with administrator rights can reach it: the folder
  // itself, or for one on a mapped network drive (which Windows does not show to programs the
  // user runs with administrator rights) its network path; nullopt when that cannot be had.
  virtual std::optional<std::string> pathForAdministrator(const std::string& folder) = 0;
  // Starts this program again with administrator rights, in its own folder, with arguments as
  // its command line; false when the user declined or the system could not start it.
  virtual bool restartAsAdministrator(const std::string& arguments) = 0;
};

}  // namespace tarvik
