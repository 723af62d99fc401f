#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/dynamic_library.h"
#include "platform/runtime_error.h"

namespace tarvik {
namespace {

RuntimeError libraryError(const std::string& what) {
  return RuntimeError(error_number::kDllNotFound, what);
}

class PosixLibrary : public DynamicLibrary {
 public:
  explicit PosixLibrary(void* handle) : handle_(handle) {}
  ~PosixLibrary() override { ::dlclose(handle_); }
  PosixLibrary(const PosixLibrary&) = delete;
  PosixLibrary& operator=(const PosixLibrary&) = delete;

  void* entryPoint(const std::string& name) override { return ::dlsym(handle_, name.c_str()); }

 private:
  void* handle_;
};

class PosixHeldLibraryFile : public HeldLibraryFile {
 public:
  explicit PosixHeldLibraryFile(int fd) : fd_(fd) {}
  ~PosixHeldLibraryFile() override { ::close(fd_); }
  PosixHeldLibraryFile(const PosixHeldLibraryFile&) = delete;
  PosixHeldLibraryFile& operator=(const PosixHeldLibraryFile&) = delete;

  std::vector<uint8_t> contents() override {
    struct stat status {};
    if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode))
      throw libraryError("the file cannot be read");
    std::vector<uint8_t> bytes(static_cast<std::size_t>(status.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = ::pread(fd_, bytes.data() + done, bytes.size() - done,
                                  static_cast<off_t>(done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) throw libraryError(std::string("the file cannot be read: ") + std::strerror(errno));
      if (got == 0) break;
      done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
  }

  // The file held, through its entry in /proc: not another file put at its name since.
  std::unique_ptr<DynamicLibrary> load() override {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    void* handle = ::dlopen(self.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) throw libraryError(std::string("it cannot be loaded: ") + ::dlerror());
    return std::make_unique<PosixLibrary>(handle);
  }

 private:
  int fd_;
};

class PosixLibraryFiles : public LibraryFiles {
 public:
  std::unique_ptr<HeldLibraryFile> hold(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) return std::make_unique<PosixHeldLibraryFile>(fd);
    if (errno == ENOENT || errno == ENOTDIR) return nullptr;
    throw libraryError(std::string("the file cannot be opened: ") + std::strerror(errno));
  }
};

}  // namespace

std::shared_ptr<LibraryFiles> systemLibraryFiles() {
  return std::make_shared<PosixLibraryFiles>();
}

std::string libraryFileName(const std::string& baseName) { return "lib" + baseName + ".so"; }

}  // namespace tarvik
