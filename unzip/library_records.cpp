#include "unzip/library_records.h"

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

LibraryOptions::LibraryOptions(const UnzipOptions& options)
    : zipFileName_(toAnsi(options.lpszZipFN)), extractFolder_(toAnsi(options.lpszExtractDir)) {
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
  record_.lpszZipFN = zipFileName_.data();
  record_.lpszExtractDir = extractFolder_.data();
}

namespace {

std::string textBack(const char* pointer, const std::string& handedOver) {
  if (pointer == handedOver.data()) return fromAnsi(handedOver);
  return pointer == nullptr ? std::string() : fromAnsi(pointer);
}

}  // namespace

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
  options.lpszZipFN = textBack(record_.lpszZipFN, zipFileName_);
  options.lpszExtractDir = textBack(record_.lpszExtractDir, extractFolder_);
}

}  // namespace tarvik::mUnzip
