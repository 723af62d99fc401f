#include "tests/unzip/library_double.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/runtime_error.h"
#include "unzip/unzip_binding.h"

namespace tarvik::testing {
namespace {

LibraryDouble* activeDouble = nullptr;

std::vector<std::optional<std::string>> copySlots(char** slots) {
  std::vector<std::optional<std::string>> copy;
  if (slots == nullptr) return copy;
  for (int slot = 0; slot < 1024; ++slot) {
    if (slots[slot] == nullptr)
      copy.emplace_back(std::nullopt);
    else
      copy.emplace_back(std::string(slots[slot]));
  }
  return copy;
}

std::optional<std::string> copyText(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

int TARVIK_UNZIP_CALL DoubleSingleEntryUnzip(int includeCount, char** includeNames,
                                             int excludeCount, char** excludeNames, DCL* options,
                                             USERFUNCTIONS* callbacks) {
  LibraryDouble& library = LibraryDouble::active();
  RecordedCall call;
  call.includeCount = includeCount;
  call.excludeCount = excludeCount;
  call.includeSlots = copySlots(includeNames);
  call.excludeSlots = copySlots(excludeNames);
  call.options = *options;
  call.zipFileName = copyText(options->lpszZipFN);
  call.extractFolder = copyText(options->lpszExtractDir);
  call.callbacks = *callbacks;
  library.calls.push_back(std::move(call));
  if (library.script) library.script(*callbacks, *options);
  return library.result;
}

int TARVIK_UNZIP_CALL DoubleUzpVersion2(UzpVer2* version) {
  LibraryDouble& library = LibraryDouble::active();
  library.versionHandedOver = *version;
  std::memset(version->betalevel, 0, sizeof(version->betalevel));
  std::memcpy(version->betalevel, library.betaLevel.data(),
              std::min(library.betaLevel.size(), sizeof(version->betalevel)));
  std::memcpy(version->windll, library.interfaceVersion.data(), 4);
  return 0;
}

class DoubleLibraryFile : public DynamicLibrary {
 public:
  void* entryPoint(const std::string& name) override {
    LibraryDouble& library = LibraryDouble::active();
    if (name == "Wiz_SingleEntryUnzip" && library.hasSingleEntryUnzip)
      return reinterpret_cast<void*>(&DoubleSingleEntryUnzip);
    if (name == "UzpVersion2" && library.hasVersion)
      return reinterpret_cast<void*>(&DoubleUzpVersion2);
    return nullptr;
  }
};

class DoubleLoader : public LibraryLoader {
 public:
  std::unique_ptr<DynamicLibrary> load(const std::string& baseName) override {
    LibraryDouble& library = LibraryDouble::active();
    library.loadedNames.push_back(baseName);
    if (!library.present)
      throw RuntimeError(error_number::kDllNotFound, "File not found: " + baseName);
    ++library.loads;
    return std::make_unique<DoubleLibraryFile>();
  }
};

}  // namespace

LibraryDouble::LibraryDouble() {
  if (activeDouble != nullptr) throw std::logic_error("one library double at a time");
  activeDouble = this;
  mUnzip::UseLibraryLoader(std::make_shared<DoubleLoader>());
}

LibraryDouble::~LibraryDouble() {
  mUnzip::UseLibraryLoader(nullptr);
  activeDouble = nullptr;
}

LibraryDouble& LibraryDouble::active() {
  if (activeDouble == nullptr) throw std::logic_error("no library double installed");
  return *activeDouble;
}

int LibraryDouble::print(const USERFUNCTIONS& callbacks, const std::string& bytes) {
  // A copy of exactly that many bytes, without a NUL behind them, so that reading past the
  // length shows up under AddressSanitizer.
  const auto copy = std::make_unique<char[]>(std::max<std::size_t>(bytes.size(), 1));
  std::memcpy(copy.get(), bytes.data(), bytes.size());
  return callbacks.print(copy.get(), static_cast<uint32_t>(bytes.size()));
}

int LibraryDouble::print(const USERFUNCTIONS& callbacks, const char* bytes, uint32_t length) {
  return callbacks.print(const_cast<char*>(bytes), length);
}

int LibraryDouble::replace(const USERFUNCTIONS& callbacks, const std::string& fileName) {
  std::string copy = fileName;
  return callbacks.replace(copy.data());
}

int LibraryDouble::password(const USERFUNCTIONS& callbacks, char* buffer, int32_t size) {
  return callbacks.password(buffer, size, "Enter password for: ", "secret.txt");
}

void LibraryDouble::list(const USERFUNCTIONS& callbacks, const ListedMember& member) {
  std::string name = member.name;
  std::string method = member.method;
  callbacks.SendApplicationMessage(member.uncompressedSize, member.compressedSize, member.ratio,
                                   member.month, member.day, member.year, member.hour,
                                   member.minute, 0, name.data(), method.data(), member.crc,
                                   member.encryptionMark);
}

int LibraryDouble::service(const USERFUNCTIONS& callbacks, const std::string& name,
                           uint32_t size) {
  return callbacks.ServCallBk(name.c_str(), size);
}

}  // namespace tarvik::testing
