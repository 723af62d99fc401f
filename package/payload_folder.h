#pragma once
// Packs a payload folder into the installer's archive: the files directly inside its "scenery"
// and "texture" sub-folders, named "scenery/NAME" and "texture/NAME", with the two folder
// entries, using the header conventions of the installer's payload (made by 2.0 on MS-DOS,
// deflate for files, MS-DOS archive or directory attributes with the Unix modes). Archive order:
// the texture files, "texture/", the scenery files, "scenery/"; files by name within a folder.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "package/dos_date_time.h"
#include "package/zip_writer.h"

namespace tarvik::package {

class PayloadFolderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PayloadFile {
  std::string name;  // archive name, e.g. "scenery/qiro.bgl"; a folder entry ends with "/"
  std::filesystem::path path;  // empty for a folder entry
  DosDateTime modified;
};

struct PayloadFolderContents {
  std::vector<PayloadFile> entries;  // in archive order
  std::vector<std::filesystem::path> skipped;  // entries of the payload folder left out
};

// Lists what the archive of the payload folder holds. Throws PayloadFolderError when the folder
// lacks a "scenery" or "texture" sub-folder, holds no file, or holds something the installer
// cannot extract on Windows as it is: a sub-folder inside them, a name that is not plain
// printable ASCII or that Windows does not allow, or two names that differ only in case.
PayloadFolderContents collectPayloadFolder(const std::filesystem::path& folder);

// Writes the archive of the payload folder, under a temporary name renamed when complete.
ZipArchiveTotals packPayloadFolder(const PayloadFolderContents& contents,
                                   const std::filesystem::path& archive);

// The local time of a file's last change as a DOS date and time: seconds rounded down to an
// even number, and times outside the years 1980 to 2107 moved to the nearest end.
DosDateTime dosTimeOfFile(const std::filesystem::path& file);

// Why a bare file name cannot be a payload name, or an empty text when it can.
std::string payloadNameProblem(const std::string& name);

}  // namespace tarvik::package
