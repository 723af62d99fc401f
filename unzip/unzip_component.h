#pragma once
// cUnzip: a reusable unzip component. Option properties, a directory of the archive's members
// with a selection flag each, Directory (list) and Unzip (extract), GetVersion, and four events.
// The component never reads the archive itself: every archive operation goes through the
// library binding (unzip_binding.h), whose callbacks reach the component's procedures for the
// binding and through them the bound listeners.

#include <cstdint>
#include <string>
#include <vector>

#include "unzip/unzip_binding.h"

namespace tarvik {

// One listed archive member.
struct DirectoryEntry {
  std::string name;    // file name after the last folder separator
  std::string folder;  // path before the last separator, "\" separated; empty at the root
  int32_t size = 0;
  int32_t ratio = 0;
  std::string method;
  double date = 0;  // OLE Automation date
  int32_t crc = 0;  // the CRC-32's bit pattern
  bool encrypted = false;
  bool selected = false;
  uint32_t unpackedSize = 0;  // the member's size once extracted
};

// Receives the component's events, synchronously, from inside a running Directory or Unzip.
class UnzipEventListener {
 public:
  virtual ~UnzipEventListener() = default;
  // A member is about to be processed; setting bCancel stops the run.
  virtual void Cancel(const std::string& sMsg, bool& bCancel);
  // An existing file would be overwritten; eResponse (100 on entry: not this file) is the answer.
  virtual void OverwritePrompt(const std::string& sFIle, int32_t& eResponse);
  // An encrypted member needs a password; an empty one or bCancel refuses.
  virtual void PasswordRequest(std::string& sPassword, bool& bCancel);
  // The library printed a text; lCount is always 1.
  virtual void Progress(int32_t lCount, const std::string& sMsg);
};

class cUnzip : private UnzipCallbackTarget {
 public:
  cUnzip() = default;
  ~cUnzip();
  cUnzip(const cUnzip&) = delete;
  cUnzip& operator=(const cUnzip&) = delete;

  // Listeners receive every event of this instance until unbound.
  void bind(UnzipEventListener& listener);
  void unbind(UnzipEventListener& listener);

  bool ExtractOnlyNewer() const;
  void ExtractOnlyNewer(bool bState);
  bool SpaceToUnderScore() const;
  void SpaceToUnderScore(bool bState);
  bool PromptToOverwrite() const;
  void PromptToOverwrite(bool bState);
  int32_t MessageLevel() const;
  void MessageLevel(int32_t eLevel);
  bool TestZip() const;
  void TestZip(bool bState);
  bool UseFolderNames() const;
  void UseFolderNames(bool bState);
  bool OverwriteExisting() const;
  void OverwriteExisting(bool bState);
  bool ConvertCRToCRLF() const;
  void ConvertCRToCRLF(bool bState);
  bool CaseSensitiveFileNames() const;
  void CaseSensitiveFileNames(bool bState);

  int32_t FileCount() const;
  // Indexed members take lIndex from 1 to FileCount; any other index raises error 9.
  std::string Filename(int32_t lIndex) const;
  std::string FileDirectory(int32_t lIndex) const;
  int32_t FileSize(int32_t lIndex) const;
  int32_t FilePackedSize(int32_t lIndex) const;  // raises error 6 on overflow
  // The member's size once extracted, as the listing reports it.
  uint32_t FileUnpackedSize(int32_t lIndex) const;
  int32_t FileCompressionRatio(int32_t lIndex) const;
  double FileDate(int32_t lIndex) const;
  int32_t FileCRC(int32_t lIndex) const;
  std::string FileCompressionMethod(int32_t lIndex) const;
  bool FileEncrypted(int32_t lIndex) const;
  bool FileSelected(int32_t lIndex) const;
  void FileSelected(int32_t lIndex, bool bState);

  // Lists the archive, appending to the directory. Always returns 0.
  int32_t Directory();
  // Extracts the selected members (all when none or all are selected). True when the library
  // reported a failure, false on success.
  bool Unzip();

  std::string UnzipFolder() const;
  void UnzipFolder(const std::string& sFolder);
  std::string ZipFile() const;
  // Stores the archive name and empties the directory.
  void ZipFile(const std::string& sFIle);

  void GetVersion(int32_t& lMajor, int32_t& lMinor, int32_t& lRevision, double& dDate,
                  std::string& sExtraInfo);

  // The options record as it stands, for tests and for the binding.
  const UnzipOptions& options() const { return options_; }

 private:
  // The procedures for the binding, reachable only through UnzipCallbackTarget.
  void AddListedEntry(const std::string& name, const std::string& folder, double date,
                      int32_t size, int32_t crc, bool encrypted, int32_t ratio,
                      const std::string& method, uint32_t unpackedSize) override;
  void RaiseOverwritePrompt(const std::string& sFIle, int32_t& eResponse) override;
  void RaiseProgress(const std::string& sMsg) override;
  void RaiseCancel(const std::string& sMsg, bool& bCancel) override;
  void RaisePasswordRequest(std::string& sPassword, bool& bCancel) override;

  const DirectoryEntry& entry(int32_t lIndex) const;
  DirectoryEntry& entry(int32_t lIndex);

  UnzipOptions options_;
  std::string archiveName_;
  std::string targetFolder_;
  std::vector<DirectoryEntry> directory_;
  std::vector<UnzipEventListener*> listeners_;
};

}  // namespace tarvik
