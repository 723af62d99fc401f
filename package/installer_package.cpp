#include "package/installer_package.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "package/pe_image.h"
#include "package/pe_exports.h"
#include "package/pe_imports.h"
#include "package/pe_resources.h"
#include "package/payload_folder.h"
#include "package/resource_check.h"
#include "package/zip_layout.h"
#include "package/zip_reader.h"

namespace fs = std::filesystem;

namespace tarvik::package {
namespace {

constexpr std::string_view kArchiveFolders[] = {"scenery/", "texture/"};

std::string readBytes(const fs::path& file, uint64_t limit = UINT64_MAX) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw PackageError("cannot open " + file.string());
  std::string bytes;
  if (limit == UINT64_MAX) {
    std::ostringstream all;
    all << in.rdbuf();
    bytes = std::move(all).str();
  } else {
    bytes.resize(limit);
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) throw PackageError("cannot read " + file.string());
  return bytes;
}

std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

// Why an archive name is not one of the payload's, or an empty text.
std::string entryNameProblem(const std::string& name) {
  for (const std::string_view folder : kArchiveFolders) {
    if (!name.starts_with(folder)) continue;
    if (name.size() == folder.size()) return {};
    return payloadNameProblem(name.substr(folder.size()));
  }
  return "a name outside the \"scenery/\" and \"texture/\" folders";
}

class PackageCheck {
 public:
  PackageCheck(const fs::path& package, const fs::path& program,
               const PackageCheckOptions& options)
      : package_(package), program_(program), options_(options) {}

  PackageReport run() {
    try {
      compareProgram();
      locateArchive();
      if (!options_.library.empty()) checkLibrary();
    } catch (const std::exception& error) {
      problem(error.what());
    }
    return std::move(report_);
  }

 private:
  void problem(std::string text) { report_.problems.push_back(std::move(text)); }

  void compareProgram() {
    report_.packageLength = fs::file_size(package_);
    const std::string program = readBytes(program_);
    report_.programLength = program.size();
    const std::string head = readBytes(package_, program.size());
    const std::string unsignedHead = withoutSigningFields(head, program);
    if (unsignedHead != program) {
      const auto difference =
          std::mismatch(unsignedHead.begin(), unsignedHead.end(), program.begin()).first;
      problem("the package does not start with the program's bytes: they differ from position " +
              std::to_string(difference - unsignedHead.begin()));
    }
    checkProgramPart(head);
  }

  // The program part with the fields that signing rewrites taken back from the program, after
  // noting where the certificate table lies. Unsigned, the part stays as it is.
  std::string withoutSigningFields(std::string head, const std::string& program) {
    try {
      const PeImage image(head);
      const PeDataDirectory table = image.dataDirectory(pe_directory::kCertificates);
      report_.signaturePosition = table.virtualAddress;
      report_.signatureLength = table.size;
      if (!report_.isSigned()) return head;
      const std::pair<size_t, size_t> rewritten[] = {
          {image.checksumPosition(), 4},
          {image.dataDirectoryPosition(pe_directory::kCertificates), 8}};
      for (const auto& [position, length] : rewritten)
        if (position + length <= std::min(head.size(), program.size()))
          head.replace(position, length, program, position, length);
    } catch (const PeFormatError&) {
      // checkProgramPart reports it.
    }
    return head;
  }

  // The program part as Windows sees it: its checksum still covers exactly the program (the
  // whole file once signed), and its resources are the installer's.
  void checkProgramPart(std::string head) {
    try {
      const PeImage image(std::move(head));
      report_.programChecksum = image.checksum();
      const uint32_t computed =
          report_.isSigned() ? PeImage(readBytes(package_)).computedChecksum()
                             : image.computedChecksum();
      if (image.checksum() != 0 && image.checksum() != computed)
        problem("the program's header checksum " + hex(image.checksum()) +
                " is not the one computed over the " +
                (report_.isSigned() ? "signed file, " : "program, ") + hex(computed));
      for (const std::string& finding : notFor32BitWindows(image))
        problem("the program: " + finding);
      for (const std::string& finding : plantableImports(image, true))
        problem("the program: " + finding);
      if (!options_.checkResources) return;
      for (const std::string& finding : checkInstallerResources(readResources(image)))
        problem("resources: " + finding);
    } catch (const PeFormatError& error) {
      problem(std::string("the program part is not a Windows program: ") + error.what());
    }
  }

  // The library delivered beside the program is as 32-bit as the program, exports what the
  // program looks up, and imports nothing that a file beside it could stand in for.
  void checkLibrary() {
    try {
      const PeImage library(readBytes(options_.library));
      std::vector<std::string> findings = notFor32BitWindows(library);
      for (std::string& finding : missingEntryPoints(library)) findings.push_back(finding);
      for (std::string& finding : plantableImports(library, false)) findings.push_back(finding);
      for (const std::string& finding : findings) problem("the unzip library: " + finding);
    } catch (const PeFormatError& error) {
      problem(std::string("the unzip library is not a Windows library: ") + error.what());
    }
  }

  void locateArchive() {
    std::optional<ZipReader> found;
    try {
      found.emplace(package_);
    } catch (const ZipFormatError& error) {
      return problem(std::string("no archive found in the package: ") + error.what());
    }
    ZipReader& reader = *found;
    report_.endRecordPosition = reader.endRecord().position;
    report_.centralDirectoryPosition = reader.centralDirectoryPosition();
    report_.storedCentralDirectoryOffset = reader.endRecord().centralDirectoryOffset;
    report_.shift = reader.shift();
    report_.archiveEnd = reader.archiveEnd();
    if (report_.shift != report_.programLength)
      problem("the archive is shifted by " + std::to_string(report_.shift) +
              " bytes, but the program is " + std::to_string(report_.programLength) +
              " bytes long");
    checkFirstHeader(reader);
    checkEntries(reader);
    checkTail();
    if (!options_.archive.empty()) compareArchive();
  }

  // Nothing follows the archive but, in a signed package, the padding to a multiple of 8 bytes
  // and the signature.
  void checkTail() {
    const uint64_t end = report_.archiveEnd;
    if (!report_.isSigned()) {
      if (end != report_.packageLength)
        problem(std::to_string(report_.packageLength - end) +
                " bytes follow the archive in an unsigned package");
      return;
    }
    const uint64_t position = report_.signaturePosition;
    if (position + report_.signatureLength != report_.packageLength)
      problem("the signature does not reach to the end of the file");
    if (position < end || position - end >= 8 || position % 8 != 0)
      return problem("the signature at " + std::to_string(position) +
                     " does not follow the archive's end at " + std::to_string(end) +
                     " after the padding to a multiple of 8 bytes");
    std::ifstream in(package_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(end));
    std::string padding(position - end, '\0');
    in.read(padding.data(), static_cast<std::streamsize>(padding.size()));
    if (padding.find_first_not_of('\0') != std::string::npos)
      problem("the padding in front of the signature is not zero bytes");
  }

  void checkFirstHeader(const ZipReader& reader) {
    if (reader.entries().empty()) return problem("the archive holds no entries");
    uint64_t first = UINT64_MAX;
    for (const ZipCentralEntry& entry : reader.entries())
      first = std::min(first, entry.local.position);
    if (first != report_.programLength)
      problem("the archive's first local header lies at " + std::to_string(first) +
              ", not right behind the program at " + std::to_string(report_.programLength));
  }

  void checkEntries(ZipReader& reader) {
    std::set<std::string> lowerNames;
    for (const ZipCentralEntry& entry : reader.entries()) {
      report_.entries.push_back(
          {entry.name(), entry.fields.crc32, entry.fields.uncompressedSize});
      if (const std::string why = entryNameProblem(entry.name()); !why.empty())
        problem(entry.name() + ": " + why);
      if (!lowerNames.insert(lowerCase(entry.name())).second)
        problem(entry.name() + ": a second entry of this name, without regard to case");
      if (entry.fields.flags & kFlagEncrypted) problem(entry.name() + ": encrypted");
      if (entry.fields != entry.local.fields)
        problem(entry.name() + ": the local header differs from the central directory");
      if (!options_.extractEntries) continue;
      try {
        reader.extract(entry);
      } catch (const ZipFormatError& error) {
        problem(error.what());
      }
    }
  }

  void compareArchive() {
    const std::string archive = readBytes(options_.archive);
    if (report_.shift + archive.size() != report_.archiveEnd)
      return problem("the package holds " + std::to_string(report_.archiveEnd - report_.shift) +
                     " archive bytes; the archive has " + std::to_string(archive.size()));
    std::ifstream in(package_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(report_.shift));
    std::string tail(archive.size(), '\0');
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    if (tail != archive) problem("the archive's bytes in the package differ from the archive");
  }

  const fs::path& package_;
  const fs::path& program_;
  const PackageCheckOptions& options_;
  PackageReport report_;
};

void writePackage(const std::string& program, const fs::path& archive, const fs::path& output) {
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  if (!out) throw PackageError("cannot create " + output.string());
  std::ifstream in(archive, std::ios::binary);
  if (!in) throw PackageError("cannot open " + archive.string());
  out.write(program.data(), static_cast<std::streamsize>(program.size()));
  out << in.rdbuf();
  out.close();
  if (!out || in.bad()) throw PackageError("cannot write " + output.string());
}

}  // namespace

PackageLayout buildPackage(const fs::path& program, const fs::path& archive,
                           const fs::path& output) {
  const std::string programBytes = readBytes(program);
  try {
    static_cast<void>(PeImage(programBytes));
  } catch (const PeFormatError& error) {
    throw PackageError(program.string() + " is not a Windows program: " + error.what());
  }
  PackageLayout layout{programBytes.size(), 0};
  try {
    const ZipReader reader(archive);
    if (reader.shift() != 0)
      throw PackageError(archive.string() + " has " + std::to_string(reader.shift()) +
                         " bytes in front of the archive");
    layout.archiveLength = reader.fileSize();
  } catch (const ZipFormatError& error) {
    throw PackageError(archive.string() + " is not an archive: " + error.what());
  }

  fs::path partial = output;
  partial += ".part";
  try {
    writePackage(programBytes, archive, partial);
    // The reader closes the file before the rename, which Windows needs.
    const uint64_t shift = ZipReader(partial).shift();
    if (shift != layout.programLength)
      throw PackageError("the appended archive is found shifted by " + std::to_string(shift) +
                         " bytes instead of " + std::to_string(layout.programLength));
    fs::rename(partial, output);
  } catch (...) {
    std::error_code ignored;
    fs::remove(partial, ignored);
    throw;
  }
  return layout;
}

PackageReport checkPackage(const fs::path& package, const fs::path& program,
                           const PackageCheckOptions& options) {
  return PackageCheck(package, program, options).run();
}

}  // namespace tarvik::package
