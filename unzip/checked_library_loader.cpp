#include "unzip/checked_library_loader.h"

#include "platform/program.h"
#include "platform/runtime_error.h"
#include "unzip/library_digest.h"

namespace tarvik {
namespace {

constexpr const char* kRemedy = "download both files of the update again";

RuntimeError refused(const std::string& path, const std::string& what) {
  return RuntimeError(error_number::kDllNotFound,
                      "The unzip library " + path + " " + what + ": " + kRemedy + ".");
}

// One step on the library file; its failure is told as the file's.
template <typename Step>
auto orRefused(const std::string& path, const char* what, Step step) {
  try {
    return step();
  } catch (const RuntimeError& error) {
    throw refused(path, std::string(what) + " (" + error.description() + ")");
  }
}

}  // namespace

CheckedLibraryLoader::CheckedLibraryLoader(std::shared_ptr<LibraryFiles> files,
                                           const Sha256Digest& expected)
    : files_(std::move(files)), expected_(expected) {}

std::unique_ptr<DynamicLibrary> CheckedLibraryLoader::load(const std::string& baseName) {
  const std::string path = pathBesideProgram(libraryFileName(baseName));
  const auto file = orRefused(path, "cannot be read", [&] { return files_->hold(path); });
  if (!file) throw refused(path, "is missing");
  const auto bytes = orRefused(path, "cannot be read", [&] { return file->contents(); });
  if (libraryDigest(bytes) != expected_)
    throw refused(path, "is not the one this installer was built with");
  return orRefused(path, "cannot be loaded", [&] { return file->load(); });
}

std::string pathBesideProgram(const std::string& fileName) {
  const std::string program = executablePath();
  const std::size_t separator = program.find_last_of("\\/");
  return (separator == std::string::npos ? std::string() : program.substr(0, separator + 1)) +
         fileName;
}

}  // namespace tarvik
