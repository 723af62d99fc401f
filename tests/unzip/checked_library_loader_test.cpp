// The unzip library is loaded only from beside the program, only when its digest is the one the
// build recorded, and only while the file checked is still held; and the digest is one that
// signing leaves as it is.

#include "unzip/checked_library_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "platform/runtime_error.h"
#include "unzip/library_digest.h"

namespace tarvik {
namespace {

using ::testing::ElementsAre;

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// Library files in memory, recording what happens to them.
class LibraryFilesDouble : public LibraryFiles {
 public:
  std::map<std::string, std::vector<uint8_t>> files;
  std::optional<std::string> openFailure;  // a file there that cannot be opened
  std::optional<std::string> readFailure;  // one that opens but cannot be read
  std::vector<std::string> events;

  std::unique_ptr<HeldLibraryFile> hold(const std::string& path) override {
    events.push_back("hold " + path);
    if (openFailure) throw RuntimeError(48, *openFailure);
    const auto found = files.find(path);
    if (found == files.end()) return nullptr;
    return std::make_unique<Held>(*this, found->second);
  }

 private:
  struct Loaded : DynamicLibrary {
    void* entryPoint(const std::string&) override { return nullptr; }
  };

  class Held : public HeldLibraryFile {
   public:
    Held(LibraryFilesDouble& owner, std::vector<uint8_t> bytes)
        : owner_(owner), bytes_(std::move(bytes)) {}
    ~Held() override { owner_.events.push_back("let go"); }
    std::vector<uint8_t> contents() override {
      owner_.events.push_back("read");
      if (owner_.readFailure) throw RuntimeError(48, *owner_.readFailure);
      return bytes_;
    }
    std::unique_ptr<DynamicLibrary> load() override {
      owner_.events.push_back("load");
      return std::make_unique<Loaded>();
    }

   private:
    LibraryFilesDouble& owner_;
    std::vector<uint8_t> bytes_;
  };
};

class CheckedLibraryLoaderTest : public ::testing::Test {
 protected:
  const std::string path = pathBesideProgram(libraryFileName("tarvik_unzip"));
  const std::vector<uint8_t> built = bytesOf("the library as the build linked it");
  std::shared_ptr<LibraryFilesDouble> files = std::make_shared<LibraryFilesDouble>();
  CheckedLibraryLoader loader{files, libraryDigest(built)};

  // The description of the error that loading raises, which must be number 48.
  std::string refusal() {
    try {
      loader.load("tarvik_unzip");
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number(), 48);
      return error.description();
    }
    ADD_FAILURE() << "the library was loaded";
    return {};
  }
  std::string told(const std::string& what) {
    return "The unzip library " + path + " " + what + ": download both files of the update again.";
  }
};

TEST_F(CheckedLibraryLoaderTest, TheBuiltLibraryIsLoadedFromBesideTheProgramWhileItIsHeld) {
  files->files[path] = built;
  EXPECT_NE(loader.load("tarvik_unzip"), nullptr);
  EXPECT_THAT(files->events, ElementsAre("hold " + path, "read", "load", "let go"));
}

TEST_F(CheckedLibraryLoaderTest, AnotherFileAtItsNameIsRefusedUnloaded) {
  std::vector<uint8_t> other = built;
  other.back() ^= 1;
  files->files[path] = other;
  EXPECT_EQ(refusal(), told("is not the one this installer was built with"));
  EXPECT_THAT(files->events, ElementsAre("hold " + path, "read", "let go"));
}

TEST_F(CheckedLibraryLoaderTest, AMissingOrUnreadableLibraryIsTold) {
  files->files["tarvik_unzip.dll"] = built;  // in the current folder: never looked at
  files->files["libtarvik_unzip.so"] = built;
  EXPECT_EQ(refusal(), told("is missing"));
  EXPECT_THAT(files->events, ElementsAre("hold " + path));

  files->files[path] = built;
  files->readFailure = "the file cannot be read";
  EXPECT_EQ(refusal(), told("cannot be read (the file cannot be read)"));
  files->openFailure = "another program is writing it";
  EXPECT_EQ(refusal(), told("cannot be read (another program is writing it)"));
}

// A small Windows program file: headers with the checksum and the certificate table's entry, and
// a body, 0x203 bytes in all.
std::vector<uint8_t> windowsProgram() {
  std::vector<uint8_t> file(0x203, 0);
  file[0] = 'M';
  file[1] = 'Z';
  file[0x3C] = 0x40;
  file[0x40] = 'P';
  file[0x41] = 'E';
  const std::size_t optional = 0x40 + 24;
  file[optional] = 0x0B;  // PE32+
  file[optional + 1] = 0x02;
  file[optional + 108] = 16;  // data directories
  for (std::size_t i = 0x180; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i * 7);
  return file;
}

constexpr std::size_t kChecksum = 0x40 + 24 + 64;
constexpr std::size_t kCertificateEntry = 0x40 + 24 + 112 + 8 * 4;

void putU32(std::vector<uint8_t>& file, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Signed as Authenticode signing does it: padded to 8 bytes, the certificate table appended,
// the table's entry and the checksum rewritten.
std::vector<uint8_t> signedLikeAuthenticode(std::vector<uint8_t> file) {
  file.resize((file.size() + 7) / 8 * 8, 0);
  const uint32_t table = static_cast<uint32_t>(file.size());
  file.insert(file.end(), 48, 0x30);
  putU32(file, kCertificateEntry, table);
  putU32(file, kCertificateEntry + 4, 48);
  putU32(file, kChecksum, 0x1234abcd);
  return file;
}

TEST(LibraryDigestTest, SigningLeavesItAsItWasAndAnyOtherChangeDoesNot) {
  const std::vector<uint8_t> program = windowsProgram();
  const Sha256Digest digest = libraryDigest(program);
  EXPECT_EQ(libraryDigest(signedLikeAuthenticode(program)), digest);

  std::vector<uint8_t> changed = signedLikeAuthenticode(program);
  changed[0x190] ^= 1;  // in the body
  EXPECT_NE(libraryDigest(changed), digest);
  changed = signedLikeAuthenticode(program);
  changed[program.size()] = 1;  // in the padding signing added
  EXPECT_NE(libraryDigest(changed), digest);
  changed = program;
  changed.push_back(1);  // a byte appended, not a signature
  EXPECT_NE(libraryDigest(changed), digest);
}

TEST(LibraryDigestTest, IsSha256OfAnyOtherFilePaddedToEightBytes) {
  const std::vector<uint8_t> file = bytesOf("not a program");
  std::vector<uint8_t> padded = file;
  padded.resize(16, 0);
  Sha256 sha;
  sha.add(padded);
  EXPECT_EQ(libraryDigest(file), sha.finish());
}

}  // namespace
}  // namespace tarvik
