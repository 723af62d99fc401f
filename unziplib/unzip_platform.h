#pragma once
// The few file operations the library needs, on UTF-8 paths with '/' or '\' as separators.
// One implementation per system: unzip_platform_posix.cpp and unzip_platform_win32.cpp.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarvik::unziplib {

// A failed system call, with the system's own description of the reason.
class SystemFailure : public std::runtime_error {
 public:
  SystemFailure(const std::string& what, std::string reason, bool diskFull)
      : std::runtime_error(what + ": " + reason), reason_(std::move(reason)), diskFull_(diskFull) {}
  // The system's words for the reason ("Permission denied").
  const std::string& reason() const { return reason_; }
  bool diskFull() const { return diskFull_; }

 private:
  std::string reason_;
  bool diskFull_;
};

// A local date and time, as an archive stores it.
struct LocalTime {
  int year = 1980;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  auto operator<=>(const LocalTime&) const = default;
};

// The archive, opened for reading while others may read, write or delete it (a program reads
// its own running file this way). One thread reads an InputFile at a time: another thread reads
// the same file through a reopened() one.
class InputFile {
 public:
  // Raises SystemFailure when the file cannot be opened.
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&&) = delete;

  // The same file opened once more, for another thread; nullopt when the system refuses.
  std::optional<InputFile> reopened() const;

  uint64_t size() const { return size_; }
  // Reads up to buffer.size() bytes at offset; returns how many were read (fewer only at the
  // end of the file). Raises SystemFailure on a read error.
  std::size_t readAt(uint64_t offset, std::span<uint8_t> buffer);

 private:
  InputFile(intptr_t handle, uint64_t size) : handle_(handle), size_(size) {}

  intptr_t handle_;
  uint64_t size_ = 0;
};

// A new file that did not exist before; closed (and left in place) when the object goes.
class OutputFile {
 public:
  // Creates a file of a name that the library made up; nullopt when something of that name
  // exists already (on Windows: of that name in that letter case, as no one else makes such
  // names). Raises SystemFailure on any other failure.
  static std::optional<OutputFile> createNew(const std::string& path);
  // Creates a file without a name in the folder, which vanishes when it is closed unless
  // giveName() named it first; nullopt where the system or the folder's file system has no
  // such files, or any other failure, which creating a named file then reports.
  static std::optional<OutputFile> createUnnamed(const std::string& folder);
  // Names a file made by createUnnamed(); false when something of that name exists already.
  // Raises SystemFailure on any other failure.
  bool giveName(const std::string& path);
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  ~OutputFile();

  void write(std::span<const uint8_t> bytes);
  void setModifiedTime(const LocalTime& time);
  // Puts what was written, with the file's size and time, on the disk (fsync, FlushFileBuffers):
  // from then on a power cut cannot leave the file holding zeros. Raises SystemFailure.
  void flush();
  void close();

 private:
  explicit OutputFile(intptr_t handle) : handle_(handle) {}
  intptr_t handle_;
};

enum class PathKind { kNothing, kFile, kFolder, kOther };
PathKind pathKind(const std::string& path);

// Creates one folder; returns false when a folder of that name already exists.
bool makeFolder(const std::string& path);
// Moves a file over another, replacing it in one step. On Windows the move is written through
// (MOVEFILE_WRITE_THROUGH): it is on the disk when this returns. A POSIX rename, like linkat, is
// one entry in the file system's journal, which reaches the disk at its next commit. On Windows
// a move that another program's short hold of either file refuses (a virus scanner's) is tried
// again for a few seconds (platform/held_file_retry.h).
void replaceFile(const std::string& from, const std::string& to);
// Puts a folder's entries on the disk (the names given and moved into it): after a power cut
// they are there as the last call left them. Without a journal (FAT32, exFAT) the names that a
// move gives stay in the cache until then, written through or not. A file system that cannot
// flush a folder this way has nothing to do. Raises SystemFailure.
void flushFolder(const std::string& path);
// Removes a file, ignoring any failure; on Windows after waiting out a short hold as above.
void removeFileQuietly(const std::string& path) noexcept;
// The time a file was last written, in local time; nullopt when it cannot be read.
std::optional<LocalTime> modifiedTime(const std::string& path);

// The separator that the system's own paths use.
char nativeSeparator();
// A text from the caller (the system's ANSI code page) as UTF-8, and back.
std::string fromCallerText(std::string_view text);
std::string toCallerText(std::string_view utf8);
// Text that the archive stores without the UTF-8 flag (names, comments) as UTF-8, decoded with
// the system's OEM code page, the one the format names for such text; nothing where the system
// has no such code page.
std::optional<std::string> fromOemCodePage(std::string_view stored);

}  // namespace tarvik::unziplib
