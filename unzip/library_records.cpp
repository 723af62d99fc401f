#include "unzip/library_records.h"

#include "platform/ansi_path.h"
#include "platform/program.h"
#include "platform/runtime_error.h"

namespace tarvik::mUnzip {

UnzipNameList::UnzipNameList(int32_t count, const std::vector<std::string>& names) {
  if (count >= kSlots || (count > 0 && names.size() < static_cast<std::size_t>(count)))
    throw subscriptOutOfRange();

  const std::size_t nameCount = count > 0 ? static_cast<std::size_t>(count) : 0;
  texts_.reserve(nameCount + 1);
  for (std::size_t slot = 0; slot < nameCount; ++slot) texts_.push_back(toAnsi(names[slot]));
  texts_.emplace_back(1, '\0');  // the empty text that ends the list

  for (std::size_t slot = 0; slot < texts_.size(); ++slot) pointers_[slot] = texts_[slot].data();
}

namespace {

// A path in the ANSI code page, in a form that converts back to the same file or folder.
std::string ansiPath(const std::string& path) {
  const auto form = ansiPathForm(path);
  if (!form)
    throw RuntimeError(error_number::kBadFileNameOrNumber,
                       "The name " + path +
                           " cannot be handled: the system's code page cannot spell it, and it "
                           "has no short form that the code page can");
  return toAnsi(*form);
}

}  // namespace

LibraryOptions::LibraryOptions(const UnzipOptions& options)
    : zipFileName_(options.lpszZipFN, ansiPath(options.lpszZipFN)),
      extractFolder_(options.lpszExtractDir, ansiPath(options.lpszExtractDir)) {
  record_.ExtractOnlyNewer = options.ExtractOnlyNewer;
  record_.SpaceToUnderscore = options.SpaceToUnderscore;
  record_.PromptToOverwrite = options.PromptToOverwrite;
  record_.fQuiet = options.fQuiet;
  record_.ncflag = options.ncflag;
  record_.ntflag = options.ntflag;
  record_.nvflag = options.nvflag;
  record_.nfflag = options.nfflag;
  record_.nzflag = options.nzflag;
  record_.ndflag = options.ndflag;
  record_.noflag = options.noflag;
  record_.naflag = options.naflag;
  record_.nZIflag = options.nZIflag;
  record_.C_flag = options.C_flag;
  record_.fPrivilege = options.fPrivilege;
  record_.lpszZipFN = zipFileName_.handedOver.data();
  record_.lpszExtractDir = extractFolder_.handedOver.data();
}

LibraryOptions::HandedPath::HandedPath(std::string path, std::string ansi)
    : original(std::move(path)), asHanded(ansi), handedOver(std::move(ansi)) {}

// The program's own text while the library left it as handed, so that a short form stays
// inside the call.
std::string LibraryOptions::HandedPath::readBack(const char* pointer) const {
  if (pointer == handedOver.data())
    return handedOver == asHanded ? original : fromAnsi(handedOver);
  return pointer == nullptr ? std::string() : fromAnsi(pointer);
}

void LibraryOptions::writeBack(UnzipOptions& options) const {
  options.ExtractOnlyNewer = record_.ExtractOnlyNewer;
  options.SpaceToUnderscore = record_.SpaceToUnderscore;
  options.PromptToOverwrite = record_.PromptToOverwrite;
  options.fQuiet = record_.fQuiet;
  options.ncflag = record_.ncflag;
  options.ntflag = record_.ntflag;
  options.nvflag = record_.nvflag;
  options.nfflag = record_.nfflag;
  options.nzflag = record_.nzflag;
  options.ndflag = record_.ndflag;
  options.noflag = record_.noflag;
  options.naflag = record_.naflag;
  options.nZIflag = record_.nZIflag;
  options.C_flag = record_.C_flag;
  options.fPrivilege = record_.fPrivilege;
  options.lpszZipFN = zipFileName_.readBack(record_.lpszZipFN);
  options.lpszExtractDir = extractFolder_.readBack(record_.lpszExtractDir);
}

}  // namespace tarvik::mUnzip
