#include "unzip/unzip_component.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <utility>

#include "platform/program.h"
#include "platform/runtime_error.h"
#include "unzip/entry_text.h"
#include "unziplib/tarvik_unzip.h"

namespace tarvik {

void UnzipEventListener::Cancel(const std::string&, bool&) {}
void UnzipEventListener::OverwritePrompt(const std::string&, int32_t&) {}
void UnzipEventListener::PasswordRequest(std::string&, bool&) {}
void UnzipEventListener::Progress(int32_t, const std::string&) {}

namespace {

int32_t flag(bool bState) { return bState ? 1 : 0; }

// An empty text, or the one-character text holding the NUL character.
bool isNoText(const std::string& text) { return text.empty() || text == std::string(1, '\0'); }

// The member's path as the library names it: folder and name joined by "/", every "\" made "/".
std::string BuildArchivePath(const std::string& folder, const std::string& name) {
  if (isNoText(folder)) return name;
  std::string path = folder + "/" + name;
  mUnzip::ReplaceAllText(path, '\\', '/');
  return path;
}

}  // namespace

cUnzip::~cUnzip() { mUnzip::ForgetComponent(*this); }

void cUnzip::bind(UnzipEventListener& listener) { listeners_.push_back(&listener); }

void cUnzip::unbind(UnzipEventListener& listener) {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), &listener), listeners_.end());
}

bool cUnzip::ExtractOnlyNewer() const { return options_.ExtractOnlyNewer != 0; }
void cUnzip::ExtractOnlyNewer(bool bState) { options_.ExtractOnlyNewer = flag(bState); }
bool cUnzip::SpaceToUnderScore() const { return options_.SpaceToUnderscore != 0; }
void cUnzip::SpaceToUnderScore(bool bState) { options_.SpaceToUnderscore = flag(bState); }
bool cUnzip::PromptToOverwrite() const { return options_.PromptToOverwrite != 0; }
void cUnzip::PromptToOverwrite(bool bState) { options_.PromptToOverwrite = flag(bState); }
int32_t cUnzip::MessageLevel() const { return options_.fQuiet; }
void cUnzip::MessageLevel(int32_t eLevel) { options_.fQuiet = eLevel; }
bool cUnzip::TestZip() const { return options_.ntflag != 0; }
void cUnzip::TestZip(bool bState) { options_.ntflag = flag(bState); }
bool cUnzip::UseFolderNames() const { return options_.ndflag != 0; }
void cUnzip::UseFolderNames(bool bState) { options_.ndflag = flag(bState); }
bool cUnzip::OverwriteExisting() const { return options_.noflag != 0; }
void cUnzip::OverwriteExisting(bool bState) { options_.noflag = flag(bState); }
bool cUnzip::ConvertCRToCRLF() const { return options_.naflag != 0; }
void cUnzip::ConvertCRToCRLF(bool bState) { options_.naflag = flag(bState); }
bool cUnzip::CaseSensitiveFileNames() const { return options_.C_flag != 0; }
void cUnzip::CaseSensitiveFileNames(bool bState) { options_.C_flag = flag(bState); }

int32_t cUnzip::FileCount() const { return static_cast<int32_t>(directory_.size()); }

const DirectoryEntry& cUnzip::entry(int32_t lIndex) const {
  if (lIndex < 1 || lIndex > FileCount()) throw subscriptOutOfRange();
  return directory_[static_cast<std::size_t>(lIndex - 1)];
}

DirectoryEntry& cUnzip::entry(int32_t lIndex) {
  return const_cast<DirectoryEntry&>(std::as_const(*this).entry(lIndex));
}

std::string cUnzip::Filename(int32_t lIndex) const { return entry(lIndex).name; }
std::string cUnzip::FileDirectory(int32_t lIndex) const { return entry(lIndex).folder; }
int32_t cUnzip::FileSize(int32_t lIndex) const { return entry(lIndex).size; }
int32_t cUnzip::FileCompressionRatio(int32_t lIndex) const { return entry(lIndex).ratio; }
double cUnzip::FileDate(int32_t lIndex) const { return entry(lIndex).date; }
int32_t cUnzip::FileCRC(int32_t lIndex) const { return entry(lIndex).crc; }
std::string cUnzip::FileCompressionMethod(int32_t lIndex) const { return entry(lIndex).method; }
bool cUnzip::FileEncrypted(int32_t lIndex) const { return entry(lIndex).encrypted; }
bool cUnzip::FileSelected(int32_t lIndex) const { return entry(lIndex).selected; }
void cUnzip::FileSelected(int32_t lIndex, bool bState) { entry(lIndex).selected = bState; }
uint32_t cUnzip::FileUnpackedSize(int32_t lIndex) const { return entry(lIndex).unpackedSize; }

int32_t cUnzip::FilePackedSize(int32_t lIndex) const {
  const DirectoryEntry& member = entry(lIndex);
  const int64_t product = int64_t{member.size} * int64_t{member.ratio};
  if (product < std::numeric_limits<int32_t>::min() ||
      product > std::numeric_limits<int32_t>::max())
    throw arithmeticOverflow();
  return static_cast<int32_t>(product / 100);
}

int32_t cUnzip::Directory() {
  options_.lpszZipFN = archiveName_;
  options_.lpszExtractDir = std::string(1, '\0');
  options_.nvflag = 1;
  mUnzip::RunUnzipLibrary(*this, options_, 0, {}, 0, {});
  return 0;
}

bool cUnzip::Unzip() {
  if (archiveName_.empty()) return false;

  std::vector<std::string> includeNames;
  for (const DirectoryEntry& member : directory_)
    if (member.selected) includeNames.push_back(BuildArchivePath(member.folder, member.name));
  // Every entry selected is the same as none named: the whole archive.
  if (FileCount() > 0 && includeNames.size() == directory_.size()) includeNames.clear();

  options_.lpszZipFN = archiveName_;
  options_.nvflag = 0;
  options_.lpszExtractDir = targetFolder_;
  const int32_t status =
      mUnzip::RunUnzipLibrary(*this, options_, static_cast<int32_t>(includeNames.size()),
                              includeNames, 0, {});
  return status != 0;
}

std::string cUnzip::UnzipFolder() const { return targetFolder_; }
void cUnzip::UnzipFolder(const std::string& sFolder) { targetFolder_ = sFolder; }
std::string cUnzip::ZipFile() const { return archiveName_; }

void cUnzip::ZipFile(const std::string& sFIle) {
  archiveName_ = sFIle;
  directory_.clear();
  directory_.shrink_to_fit();
}

void cUnzip::GetVersion(int32_t& lMajor, int32_t& lMinor, int32_t& lRevision, double& /*dDate*/,
                        std::string& sExtraInfo) {
  static_assert(sizeof(UzpVer2) == 64, "the version record is 64 bytes");
  using UzpVersion2Entry = int(TARVIK_UNZIP_CALL*)(UzpVer2*);
  const auto uzpVersion2 = reinterpret_cast<UzpVersion2Entry>(mUnzip::EntryPoint(TARVIK_UNZIP_VERSION_NAME));

  UzpVer2 version{};
  version.structlen = sizeof(UzpVer2);
  std::memcpy(version.betalevel, "         ", 10);               // 9 spaces and a NUL
  std::memcpy(version.date, "                   ", 20);          // 19 spaces and a NUL
  std::memcpy(version.zlib_version, "         ", 10);            // 9 spaces and a NUL
  uzpVersion2(&version);

  std::array<unsigned char, sizeof(UzpVer2)> bytes{};
  std::memcpy(bytes.data(), &version, bytes.size());

  std::string betaLevel(version.betalevel,
                        std::find(version.betalevel, std::end(version.betalevel), '\0'));
  betaLevel.resize(sizeof(version.betalevel), ' ');

  sExtraInfo = fromAnsi(betaLevel);
  lMajor = bytes[60];
  lMinor = bytes[61];
  lRevision = bytes[62];
}

void cUnzip::AddListedEntry(const std::string& name, const std::string& folder, double date,
                            int32_t size, int32_t crc, bool encrypted, int32_t ratio,
                            const std::string& method, uint32_t unpackedSize) {
  if (isNoText(name)) return;
  DirectoryEntry member;
  member.name = name;
  member.folder = folder;
  member.size = size;
  member.ratio = ratio;
  member.method = method;
  member.date = date;
  member.crc = crc;
  member.encrypted = encrypted;
  member.selected = true;
  member.unpackedSize = unpackedSize;
  directory_.push_back(std::move(member));
}

void cUnzip::RaiseOverwritePrompt(const std::string& sFIle, int32_t& eResponse) {
  for (UnzipEventListener* listener : std::vector(listeners_))
    listener->OverwritePrompt(sFIle, eResponse);
}

void cUnzip::RaiseProgress(const std::string& sMsg) {
  for (UnzipEventListener* listener : std::vector(listeners_)) listener->Progress(1, sMsg);
}

void cUnzip::RaiseCancel(const std::string& sMsg, bool& bCancel) {
  for (UnzipEventListener* listener : std::vector(listeners_)) listener->Cancel(sMsg, bCancel);
}

void cUnzip::RaisePasswordRequest(std::string& sPassword, bool& bCancel) {
  for (UnzipEventListener* listener : std::vector(listeners_))
    listener->PasswordRequest(sPassword, bCancel);
}

}  // namespace tarvik
