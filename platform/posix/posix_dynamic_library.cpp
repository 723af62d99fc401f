#include <dlfcn.h>

#include <filesystem>

#include "platform/dynamic_library.h"
#include "platform/program.h"
#include "platform/runtime_error.h"

namespace tarvik {
namespace {

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

class PosixLoader : public LibraryLoader {
 public:
  std::unique_ptr<DynamicLibrary> load(const std::string& baseName) override {
    const std::string fileName = "lib" + baseName + ".so";
    const auto besideProgram =
        std::filesystem::path(executablePath()).parent_path() / fileName;
    void* handle = ::dlopen(besideProgram.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) handle = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
      throw RuntimeError(error_number::kDllNotFound, "File not found: " + fileName);
    return std::make_unique<PosixLibrary>(handle);
  }
};

}  // namespace

std::shared_ptr<LibraryLoader> systemLibraryLoader() { return std::make_shared<PosixLoader>(); }

}  // namespace tarvik
