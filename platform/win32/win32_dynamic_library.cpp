#include <windows.h>

#include "platform/dynamic_library.h"
#include "platform/runtime_error.h"
#include "platform/win32/wide_text.h"

namespace tarvik {
namespace {

class Win32Library : public DynamicLibrary {
 public:
  explicit Win32Library(HMODULE module) : module_(module) {}
  ~Win32Library() override { FreeLibrary(module_); }
  Win32Library(const Win32Library&) = delete;
  Win32Library& operator=(const Win32Library&) = delete;

  void* entryPoint(const std::string& name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name.c_str()));
  }

 private:
  HMODULE module_;
};

class Win32Loader : public LibraryLoader {
 public:
  // The ordinary search for libraries starts in the program's own folder.
  std::unique_ptr<DynamicLibrary> load(const std::string& baseName) override {
    const std::string fileName = baseName + ".dll";
    HMODULE module = LoadLibraryW(widen(fileName).c_str());
    if (module == nullptr)
      throw RuntimeError(error_number::kDllNotFound, "File not found: " + fileName);
    return std::make_unique<Win32Library>(module);
  }
};

}  // namespace

std::shared_ptr<LibraryLoader> systemLibraryLoader() { return std::make_shared<Win32Loader>(); }

}  // namespace tarvik
