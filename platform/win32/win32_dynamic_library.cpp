#include <windows.h>

#include "platform/dynamic_library.h"
#include "platform/runtime_error.h"
#include "platform/win32/system_library.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_handles.h"

namespace tarvik {
namespace {

RuntimeError libraryError(const char* what) {
  return RuntimeError(error_number::kDllNotFound,
                      std::string(what) + " (error " + std::to_string(GetLastError()) + ")");
}

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

class Win32HeldLibraryFile : public HeldLibraryFile {
 public:
  Win32HeldLibraryFile(std::wstring path, HANDLE file) : path_(std::move(path)), file_(file) {}

  std::vector<uint8_t> contents() override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.get(), &size) || size.QuadPart > (1 << 30))
      throw libraryError("the file's size cannot be read");
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD got = 0;
      if (!ReadFile(file_.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                    &got, nullptr))
        throw libraryError("the file cannot be read");
      if (got == 0) break;
      done += got;
    }
    bytes.resize(done);
    return bytes;
  }

  // The handle held while Windows maps the file lets others read it, the loader among them.
  std::unique_ptr<DynamicLibrary> load() override {
    HMODULE module = loadLibraryByFullPath(path_);
    if (module == nullptr) throw libraryError("Windows cannot load it");
    return std::make_unique<Win32Library>(module);
  }

 private:
  std::wstring path_;
  FileHandle file_;
};

class Win32LibraryFiles : public LibraryFiles {
 public:
  std::unique_ptr<HeldLibraryFile> hold(const std::string& path) override {
    std::wstring wide = widen(path);
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
      return std::make_unique<Win32HeldLibraryFile>(std::move(wide), file);
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return nullptr;
    throw libraryError(error == ERROR_SHARING_VIOLATION
                           ? "another program is writing it"
                           : "the file cannot be opened");
  }
};

}  // namespace

std::shared_ptr<LibraryFiles> systemLibraryFiles() {
  return std::make_shared<Win32LibraryFiles>();
}

std::string libraryFileName(const std::string& baseName) { return baseName + ".dll"; }

}  // namespace tarvik
