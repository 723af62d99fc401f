// The library's file operations on POSIX systems. Paths are taken as bytes.

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <mutex>
#include <system_error>

#include "unziplib/unzip_platform.h"

namespace tarvik::unziplib {
namespace {

[[noreturn]] void fail(const std::string& what) {
  const int error = errno;
  throw SystemFailure(what, std::generic_category().message(error),
                      error == ENOSPC || error == EDQUOT);
}

int descriptor(intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

InputFile::InputFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail("cannot open " + path);
  handle_ = fd;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    const int error = S_ISDIR(status.st_mode) ? EISDIR : S_ISREG(status.st_mode) ? errno : EINVAL;
    ::close(fd);
    errno = error;
    fail("cannot open " + path);
  }
  size_ = static_cast<uint64_t>(status.st_size);
}

InputFile::InputFile(InputFile&& other) noexcept : handle_(other.handle_), size_(other.size_) {
  other.handle_ = -1;
}

InputFile::~InputFile() {
  if (handle_ >= 0) ::close(descriptor(handle_));
}

// Reads are positioned by each call (pread), so a second descriptor serves as well as the first.
std::optional<InputFile> InputFile::reopened() const {
  const int fd = ::fcntl(descriptor(handle_), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  return InputFile(fd, size_);
}

std::size_t InputFile::readAt(uint64_t offset, std::span<uint8_t> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t got = ::pread(descriptor(handle_), buffer.data() + done, buffer.size() - done,
                                static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) fail("cannot read the archive");
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

std::optional<OutputFile> OutputFile::createNew(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0 && errno == EEXIST) return std::nullopt;
  if (fd < 0) fail("cannot create " + path);
  return OutputFile(fd);
}

// Linux has unnamed files; a file is named through its entry in /proc, which any user may link.
std::optional<OutputFile> OutputFile::createUnnamed(const std::string& folder) {
#if defined(O_TMPFILE)
  static const bool procHasDescriptors = ::access("/proc/self/fd", X_OK) == 0;
  if (!procHasDescriptors) return std::nullopt;
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC,
                        0666);
  if (fd < 0) return std::nullopt;
  return OutputFile(fd);
#else
  (void)folder;
  return std::nullopt;
#endif
}

bool OutputFile::giveName(const std::string& path) {
  const std::string self = "/proc/self/fd/" + std::to_string(descriptor(handle_));
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno == EEXIST) return false;
  fail("cannot create " + path);
}

OutputFile::OutputFile(OutputFile&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

OutputFile::~OutputFile() {
  if (handle_ >= 0) ::close(descriptor(handle_));
}

void OutputFile::write(std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(descriptor(handle_), bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) fail("cannot write");
    bytes = bytes.subspan(static_cast<std::size_t>(put));
  }
}

void OutputFile::setModifiedTime(const LocalTime& time) {
  struct tm parts {};
  parts.tm_year = time.year - 1900;
  parts.tm_mon = time.month - 1;
  parts.tm_mday = time.day;
  parts.tm_hour = time.hour;
  parts.tm_min = time.minute;
  parts.tm_sec = time.second;
  parts.tm_isdst = -1;
  // mktime reads the time zone's shared state; two threads write files.
  static std::mutex timeZone;
  time_t seconds;
  {
    std::lock_guard lock(timeZone);
    seconds = ::mktime(&parts);
  }
  if (seconds == static_cast<time_t>(-1)) return;  // no such time here: keep the file's own
  const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ::futimens(descriptor(handle_), times);
}

void OutputFile::flush() {
  if (::fsync(descriptor(handle_)) != 0) fail("cannot write");
}

void OutputFile::close() {
  const int fd = descriptor(handle_);
  handle_ = -1;
  if (::close(fd) != 0) fail("cannot write");
}

PathKind pathKind(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return PathKind::kNothing;
  if (S_ISREG(status.st_mode)) return PathKind::kFile;
  if (S_ISDIR(status.st_mode)) return PathKind::kFolder;
  return PathKind::kOther;
}

bool makeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  if (errno == EEXIST && pathKind(path) == PathKind::kFolder) return false;
  fail("cannot create the folder " + path);
}

void replaceFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) fail("cannot replace " + to);
}

void flushFolder(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) fail("cannot write the folder " + path);
  const bool flushed = ::fsync(fd) == 0 || errno == EINVAL;  // EINVAL: nothing to flush
  const int error = errno;
  ::close(fd);
  errno = error;
  if (!flushed) fail("cannot write the folder " + path);
}

void removeFileQuietly(const std::string& path) noexcept { ::unlink(path.c_str()); }

std::optional<LocalTime> modifiedTime(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  struct tm parts {};
  if (::localtime_r(&status.st_mtime, &parts) == nullptr) return std::nullopt;
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                   parts.tm_hour,        parts.tm_min,      parts.tm_sec};
}

char nativeSeparator() { return '/'; }

std::string fromCallerText(std::string_view text) { return std::string(text); }
std::string toCallerText(std::string_view utf8) { return std::string(utf8); }
std::optional<std::string> fromOemCodePage(std::string_view) { return std::nullopt; }

}  // namespace tarvik::unziplib
