#pragma once
// mUnzip: the only code that talks to the unzip library. RunUnzipLibrary makes one call of the
// library's Wiz_SingleEntryUnzip; the library's callbacks report to the component whose call
// is running (CurrentUnzip) through its procedures for the binding.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dynamic_library.h"

namespace tarvik {

// The component's options, in the field order of the library's option record.
struct UnzipOptions {
  int32_t ExtractOnlyNewer = 0;
  int32_t SpaceToUnderscore = 0;
  int32_t PromptToOverwrite = 0;
  int32_t fQuiet = 0;  // message level
  int32_t ncflag = 0;
  int32_t ntflag = 0;  // test
  int32_t nvflag = 0;  // list only
  int32_t nfflag = 0;
  int32_t nzflag = 0;
  int32_t ndflag = 0;  // keep folder names
  int32_t noflag = 0;  // overwrite existing
  int32_t naflag = 0;  // line-end conversion
  int32_t nZIflag = 0;
  int32_t C_flag = 0;  // case-sensitive name matching
  int32_t fPrivilege = 0;
  std::string lpszZipFN;
  std::string lpszExtractDir;
};

// What the binding's callbacks call in the component. Only the component and the binding see
// these procedures: the component inherits them privately.
class UnzipCallbackTarget {
 public:
  // unpackedSize is the member's size once extracted.
  virtual void AddListedEntry(const std::string& name, const std::string& folder, double date,
                              int32_t size, int32_t crc, bool encrypted, int32_t ratio,
                              const std::string& method, uint32_t unpackedSize) = 0;
  virtual void RaiseOverwritePrompt(const std::string& sFIle, int32_t& eResponse) = 0;
  virtual void RaiseProgress(const std::string& sMsg) = 0;
  virtual void RaiseCancel(const std::string& sMsg, bool& bCancel) = 0;
  virtual void RaisePasswordRequest(std::string& sPassword, bool& bCancel) = 0;

 protected:
  ~UnzipCallbackTarget() = default;
};

namespace mUnzip {

// Calls Wiz_SingleEntryUnzip once and returns its result unchanged (0 is success). Names are
// numbered from 1 in the library's terms; here includeNames[0] is name 1. Raises the failures of
// its own steps (more than 1023 names: error 9; the library or its entry point missing) again
// with the source "<program name without extension>.Unzip".
int32_t RunUnzipLibrary(UnzipCallbackTarget& component, UnzipOptions& options,
                        int32_t includeCount, const std::vector<std::string>& includeNames,
                        int32_t excludeCount, const std::vector<std::string>& excludeNames);

// The form in which the binding hands a path (the archive, the target folder) to the library:
// the path itself, or its short (8.3) form where the system's ANSI code page cannot spell it;
// nothing when it has neither, and a call with that path would fail with error 52. Ask it for
// every path before changing anything.
std::optional<std::string> LibraryPathForm(const std::string& path);

// The library, loaded at first use and kept; GetVersion of the component uses it too. It is the
// file beside the program, loaded only when it is the one the program was built with
// (checked_library_loader.h).
DynamicLibrary& Library();

// Loads the library now, unless it is loaded already, so that a missing or foreign library is
// told before anything changes. Raises what RunUnzipLibrary would, with its source.
void CheckLibrary();

// Replaces the loader (and forgets a loaded library): for tests with a library double. A null
// loader brings back the checked one.
void UseLibraryLoader(std::shared_ptr<LibraryLoader> loader);

// The library's entry point of that name; raises error 453 when the library has none.
void* EntryPoint(const std::string& name);

// The component whose call is running, or whose last call completed; null after a failed call.
UnzipCallbackTarget* CurrentUnzip();

// Called by a component that goes away, so that the binding never keeps a dangling reference.
void ForgetComponent(const UnzipCallbackTarget& component);

}  // namespace mUnzip

}  // namespace tarvik
