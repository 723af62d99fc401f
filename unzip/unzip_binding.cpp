#include "unzip/unzip_binding.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/ansi_path.h"
#include "platform/program.h"
#include "platform/runtime_error.h"
#include "unzip/checked_library_loader.h"
#include "unzip/entry_text.h"
#include "unzip/library_records.h"
#include "unzip/ole_date.h"
#include "unzip/unzip_library_digest.h"
#include "unziplib/tarvik_unzip.h"

namespace tarvik::mUnzip {
namespace {

constexpr const char* kLibraryBaseName = "tarvik_unzip";

// Texts the library hands over are read up to their NUL, never further than these bounds.
constexpr std::size_t kEntryTextLimit = 256;
constexpr std::size_t kReplaceNameLimit = 32801;
// Printed texts and service names pass when their length is at least 2 and below this.
constexpr uint32_t kTextLengthLimit = 32000;
// The most password bytes ever put into the library's buffer.
constexpr std::size_t kPasswordLimit = 254;

using SingleEntryUnzip = int(TARVIK_UNZIP_CALL*)(int, char**, int, char**, DCL*, USERFUNCTIONS*);

// Module state, shared by the callbacks.
struct ModuleState {
  UnzipCallbackTarget* CurrentUnzip = nullptr;
  bool PasswordRefused = false;
  std::shared_ptr<LibraryLoader> loader;
  std::unique_ptr<DynamicLibrary> library;
};

ModuleState& module() {
  static ModuleState state;
  return state;
}

// The component the callbacks report to; error 91 when there is none.
UnzipCallbackTarget& current() {
  if (module().CurrentUnzip == nullptr)
    throw RuntimeError(91, "Object variable or With block variable not set");
  return *module().CurrentUnzip;
}

// One step of a callback: a failure inside it is dropped and the callback goes on.
template <typename Step>
void resumeNext(Step&& step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

// The library's text up to its first NUL, at most limit bytes.
std::string_view boundedText(const char* text, std::size_t limit) {
  if (text == nullptr) return {};
  const auto end = std::find(text, text + limit, '\0');
  return std::string_view(text, static_cast<std::size_t>(end - text));
}

std::string trimSpaces(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

int32_t lowWord(uint32_t value) { return static_cast<int16_t>(value & 0xFFFFu); }

// Puts the password and its terminating NUL into the library's buffer of size bytes. True when
// at least one byte of password went in.
bool putPassword(const std::string& password, char* buffer, int32_t size) {
  if (buffer == nullptr || size < 1) return false;
  const std::size_t length = std::min({password.size(), kPasswordLimit,
                                       static_cast<std::size_t>(size) - 1});
  std::memcpy(buffer, password.data(), length);
  buffer[length] = '\0';
  return length > 0;
}

// The library's callbacks. They run inside Wiz_SingleEntryUnzip, report to CurrentUnzip, and
// never let a failure travel back into the library: every step that can fail runs under
// resumeNext, and the callback returns the answer it holds at the end.

int TARVIK_UNZIP_CALL OnLibraryPrint(char* text, uint32_t length) noexcept {
  if (length < 2 || length >= kTextLengthLimit || text == nullptr) return 0;
  std::string message;
  resumeNext([&] { message = fromAnsi(std::string_view(text, length)); });
  resumeNext([&] { ReplaceAllText(message, '/', '\\'); });
  resumeNext([&] { current().RaiseProgress(message); });
  return 0;
}

int TARVIK_UNZIP_CALL OnLibraryReplaceQuery(char* fileName) noexcept {
  std::string name;
  resumeNext([&] { name = fromAnsi(boundedText(fileName, kReplaceNameLimit)); });
  resumeNext([&] { ReplaceAllText(name, '/', '\\'); });
  int32_t answer = TARVIK_REPLACE_NO;
  resumeNext([&] { current().RaiseOverwritePrompt(name, answer); });
  return answer;
}

int TARVIK_UNZIP_CALL OnLibraryPasswordQuery(char* buffer, int32_t size, const char* /*prompt*/,
                                             const char* /*entryName*/) noexcept {
  int result = 1;
  if (module().PasswordRefused) return result;

  std::string password;
  bool cancel = false;
  resumeNext([&] { current().RaisePasswordRequest(password, cancel); });
  resumeNext([&] { password = trimSpaces(password); });
  if (password.empty() || cancel) {
    module().PasswordRefused = true;
    return result;
  }
  resumeNext([&] { result = putPassword(toAnsi(password), buffer, size) ? 0 : 1; });
  return result;
}

void TARVIK_UNZIP_CALL OnLibraryListEntry(uint32_t uncompressedSize, uint32_t compressedSize,
                                          uint32_t ratio, uint32_t month, uint32_t day,
                                          uint32_t year, uint32_t hour, uint32_t minute,
                                          uint32_t /*reserved*/, char* entryName,
                                          char* methodName, uint32_t crc,
                                          uint32_t encryptionMark) noexcept {
  std::string name;
  std::string folder;
  std::string method;
  double date = 0;
  resumeNext([&] { name = fromAnsi(boundedText(entryName, kEntryTextLimit)); });
  resumeNext([&] { SplitEntryPath(name, folder); });
  resumeNext([&] {
    date = OleDateTime(lowWord(year), lowWord(month), lowWord(day), lowWord(hour),
                       lowWord(minute));
  });
  resumeNext([&] { method = fromAnsi(boundedText(methodName, kEntryTextLimit)); });
  const bool encrypted = (encryptionMark & 0xFFu & 64u) != 0;
  resumeNext([&] {
    current().AddListedEntry(name, folder, date, static_cast<int32_t>(compressedSize),
                             static_cast<int32_t>(crc), encrypted, lowWord(ratio), method,
                             uncompressedSize);
  });
}

int TARVIK_UNZIP_CALL OnLibraryService(const char* entryName, uint32_t size) noexcept {
  if (size < 2 || size >= kTextLengthLimit) return 0;
  std::string name;
  bool cancel = false;
  resumeNext([&] { name = fromAnsi(boundedText(entryName, size)); });
  resumeNext([&] { ReplaceAllText(name, '\\', '/'); });
  resumeNext([&] { current().RaiseCancel(name, cancel); });
  return cancel ? 1 : 0;
}

USERFUNCTIONS CallbackRecord() {
  USERFUNCTIONS callbacks{};
  callbacks.print = OnLibraryPrint;
  callbacks.sound = nullptr;
  callbacks.replace = OnLibraryReplaceQuery;
  callbacks.password = OnLibraryPasswordQuery;
  callbacks.SendApplicationMessage = OnLibraryListEntry;
  callbacks.ServCallBk = OnLibraryService;
  return callbacks;
}

}  // namespace

DynamicLibrary& Library() {
  ModuleState& state = module();
  if (!state.loader)
    state.loader = std::make_shared<CheckedLibraryLoader>(systemLibraryFiles(), kBuiltLibraryDigest);
  if (!state.library) state.library = state.loader->load(kLibraryBaseName);
  return *state.library;
}

void CheckLibrary() {
  try {
    Library();
  } catch (const RuntimeError& error) {
    throw error.withSource(executableBaseName() + ".Unzip");
  }
}

void UseLibraryLoader(std::shared_ptr<LibraryLoader> loader) {
  module().library.reset();
  module().loader = std::move(loader);
}

void* EntryPoint(const std::string& name) {
  void* address = Library().entryPoint(name);
  if (address == nullptr)
    throw RuntimeError(error_number::kEntryPointNotFound,
                       "Can't find DLL entry point " + name + " in " + libraryFileName(kLibraryBaseName));
  return address;
}

std::optional<std::string> LibraryPathForm(const std::string& path) { return ansiPathForm(path); }

UnzipCallbackTarget* CurrentUnzip() { return module().CurrentUnzip; }

void ForgetComponent(const UnzipCallbackTarget& component) {
  if (module().CurrentUnzip == &component) module().CurrentUnzip = nullptr;
}

int32_t RunUnzipLibrary(UnzipCallbackTarget& component, UnzipOptions& options,
                        int32_t includeCount, const std::vector<std::string>& includeNames,
                        int32_t excludeCount, const std::vector<std::string>& excludeNames) {
  ModuleState& state = module();
  state.CurrentUnzip = &component;
  try {
    USERFUNCTIONS callbacks = CallbackRecord();
    UnzipNameList include(includeCount, includeNames);
    UnzipNameList exclude(excludeCount, excludeNames);
    state.PasswordRefused = false;
    LibraryOptions record(options);

    const auto singleEntryUnzip =
        reinterpret_cast<SingleEntryUnzip>(EntryPoint(TARVIK_UNZIP_SINGLE_ENTRY_NAME));
    const int32_t result = singleEntryUnzip(includeCount, include.slots(), excludeCount,
                                            exclude.slots(), record.record(), &callbacks);
    record.writeBack(options);
    return result;
  } catch (const RuntimeError& error) {
    state.CurrentUnzip = nullptr;
    throw error.withSource(executableBaseName() + ".Unzip");
  } catch (...) {
    state.CurrentUnzip = nullptr;
    throw;
  }
}

}  // namespace tarvik::mUnzip
