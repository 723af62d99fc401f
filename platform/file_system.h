#pragma once
// The file operations the installer needs, on Windows-style paths ("C:\Games\FS2000\scenery.cfg")
// held as UTF-8. Names match without regard to case, as on the Windows file system.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvik {

namespace file_attribute {
constexpr uint32_t kReadOnly = 0x01;
constexpr uint32_t kHidden = 0x02;
constexpr uint32_t kSystem = 0x04;
constexpr uint32_t kDirectory = 0x10;
constexpr uint32_t kArchive = 0x20;
constexpr uint32_t kNormal = 0x80;
}  // namespace file_attribute

struct StoredFile {
  std::string path;
  uint64_t size = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The attributes of a file or folder; nullopt when the path cannot be queried at all.
  virtual std::optional<uint32_t> attributes(const std::string& path) = 0;
  // True for an existing file; false for a folder or nothing.
  virtual bool fileExists(const std::string& path) = 0;
  // Size in bytes of an existing file; raises a RuntimeError otherwise.
  virtual uint64_t fileSize(const std::string& path) = 0;
  // Full paths of the files directly inside the folder, hidden and system files included,
  // sub-folders excluded. Raises a RuntimeError when the folder does not exist.
  virtual std::vector<std::string> filesIn(const std::string& folder) = 0;
  // The next two act on the entry itself, never through it: an entry that is a link (a symbolic
  // link, a junction, a mount point: whatever it points to, inside the folder or outside) is
  // left as it is, and they return false. A file that is stored in another way (compressed,
  // deduplicated, kept in the cloud) is no link; nor is a folder reached through a junction.
  //
  // Clears the read-only, hidden, system and archive attributes; true when it did. Raises a
  // RuntimeError on failure.
  virtual bool setNormalAttributes(const std::string& path) = 0;
  // Deletes one file; true when it did. Raises a RuntimeError on failure.
  virtual bool deleteFile(const std::string& path) = 0;
  // The path with each name of it as the file system stores it (its letter case, the long form
  // of a short name), links and junctions kept on the way; as far as it exists, the rest as
  // given. Windows finds a file by any case of its names, but Wine looks through a folder for
  // every name whose case differs from the stored one, and does so at every later use.
  virtual std::string storedPath(const std::string& path) = 0;
  // The lines of a text file in the system's code page, as UTF-8; see splitTextLines.
  // Raises a RuntimeError when the file cannot be opened or read.
  virtual std::vector<std::string> readLines(const std::string& path) = 0;
  // Puts the folder's entries (the names given, moved or deleted in it) on the disk. Raises a
  // RuntimeError on failure; a file system that cannot flush a folder has nothing to put there.
  virtual void flushFolder(const std::string& folder) = 0;

  // A file system can show some programs other files than it stores at their paths: Windows
  // shows the simulators a copy from the user's VirtualStore (platform/simulator_view.h). A
  // plain file system stores each file at its path only, as the following say.

  // The files stored for a path, each with its size: the path's own file, where there is one.
  virtual std::vector<StoredFile> storedFiles(const std::string& path);
  // The folder where the files of an update of this folder are written, so that they are seen
  // at their paths: the folder itself.
  virtual std::string folderForNewFiles(const std::string& folder) { return folder; }
  // The files at these paths were just written: removes whatever would hide them, and puts the
  // removal on the disk before it returns. Nothing to do.
  virtual void revealNewFiles(const std::vector<std::string>& /*files*/) {}
};

// Splits text into lines. A line ends at CR LF, at a lone CR or at a lone LF; the line end is
// not part of the line. A final line without a line end counts; an empty tail does not.
std::vector<std::string> splitTextLines(const std::string& text);

}  // namespace tarvik
