// Makes the fuzz target's seed corpus: the archives of the library's tests, built by their
// archive builder (and, given a second folder, the small archives that make_test_archives.py
// makes with other tools), each under every mode's lead bytes.
// Usage: make_fuzz_seeds OUTPUT_FOLDER [TOOL_ARCHIVE_FOLDER]

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "fuzz/fuzz_case.h"
#include "tests/unziplib/zip_builder.h"

namespace {

namespace fs = std::filesystem;
using namespace tarvik::testing;

std::string crcBytes(const std::string& text) {
  const uint32_t crc = crcOf(text);
  return {static_cast<char>(crc), static_cast<char>(crc >> 8), static_cast<char>(crc >> 16),
          static_cast<char>(crc >> 24)};
}

ZipMember member(const std::string& name, const std::string& data) {
  ZipMember m;
  m.name = name;
  m.data = data;
  return m;
}

std::map<std::string, std::string> builtArchives() {
  std::map<std::string, std::string> archives;
  ZipBuilder plain;
  plain.file("scenery/a.bgl", sampleText(3000)).file("texture/b.bmp", sampleText(500, 2), 0);
  plain.folder("texture/").folder("scenery/").file("docs/readme.txt", "one\ntwo\r\nthree\n");
  archives["plain"] = plain.build();

  ZipBuilder behind = plain;
  behind.prefix = "MZ" + std::string(300, 'P');
  behind.comment = "made for the tests PK\x05\x06 not a record";
  archives["prefixed_comment"] = behind.build();

  ZipBuilder trailer = plain;
  trailer.trailer = std::string(200, '\x30');
  archives["trailer"] = trailer.build();

  ZipMember text = member("docs/notes.txt", "one\ntwo\r\nthree\rfour\n");
  text.internalAttributes = 1;
  ZipMember streamed = member("scenery/streamed.bgl", sampleText(2000, 3));
  streamed.dataDescriptor = true;
  ZipMember storedStreamed = streamed;
  storedStreamed.name = "scenery/stored.bgl";
  storedStreamed.method = 0;
  archives["descriptors_text"] = ZipBuilder().add(text).add(streamed).add(storedStreamed).build();

  ZipMember locked = member("docs/readme.txt", sampleText(700, 4));
  locked.password = "Secret 42";
  ZipMember lockedStreamed = locked;
  lockedStreamed.name = "docs/streamed.txt";
  lockedStreamed.dataDescriptor = true;
  archives["password"] =
      ZipBuilder().add(locked).add(lockedStreamed).file("texture/open.bmp", "open").build();

  ZipMember badCrc = member("scenery/x.bgl", sampleText(900, 5));
  badCrc.crc = 1;
  ZipMember tooBig = member("big.bgl", sampleText(5000, 6));
  tooBig.declaredSize = 100;
  ZipMember renamed = member("scenery/a.bgl", "aaa");
  renamed.localName = "scenery/b.bgl";
  archives["damaged"] = ZipBuilder().add(badCrc).add(tooBig).add(renamed).build();

  ZipBuilder hostile;
  for (const char* name : {"../escaped.bgl", "scenery/../../x.bgl", "/absolute.bgl",
                           "C:/drive.bgl", "scenery\\..\\..\\y.bgl", "scenery/CON", "a b/c d.bgl",
                           "texture/sub/deep.0af", "Texture/SUB/Deep.0AF"})
    hostile.file(name, name);
  archives["names"] = hostile.build();

  ZipMember bzip = member("bzip2.bgl", "BZh91AY&SY");
  bzip.method = 12;
  ZipMember aes = member("aes.bgl", "data");
  aes.method = 99;
  archives["unsupported"] = ZipBuilder().add(bzip).add(aes).file("fine.bgl", "fine").build();

  // ZIP64: every size and offset in extra fields, the ZIP64 end record, behind other data.
  ZipBuilder zip64 = plain;
  zip64.zip64 = ZipBuilder::Zip64::kAlways;
  archives["zip64"] = zip64.build();
  zip64.prefix = "MZ" + std::string(200, 'P');
  ZipMember streamed64 = member("scenery/streamed.bgl", sampleText(1500, 8));
  streamed64.dataDescriptor = true;
  archives["zip64_prefixed"] = zip64.add(streamed64).build();

  // Names from Unicode path fields, a comment from a Unicode comment field, folders by attribute.
  ZipMember unicode = member("Cafe.txt", "cafe");
  unicode.comment = "comment";
  unicode.centralExtra = std::string("\x75\x70\x0E\x00\x01", 5) + crcBytes("Cafe.txt") +
                         "Caf\xC3\xA9.txt" + std::string("\x75\x63\x0C\x00\x01", 5) +
                         crcBytes("comment") + "comme\xC3\xA9";
  unicode.localExtra = unicode.centralExtra.substr(0, 18);
  ZipMember dosFolder = member("def", "");
  dosFolder.method = 0;
  dosFolder.versionMadeBy = 0x0014;
  dosFolder.externalAttributes = 0x10;
  archives["unicode_folders"] = ZipBuilder().add(unicode).add(dosFolder).file("def/foo", "foo").build();

  ZipBuilder twice;
  twice.file("scenery/twice.bgl", sampleText(4000)).file("scenery/twice.bgl", "second");
  archives["same_name"] = twice.build();

  ZipMember shared = member("shared.bgl", sampleText(2000, 7));
  ZipMember again = shared;
  again.centralOffset = 0;
  archives["overlapping"] = ZipBuilder().add(shared).add(again).build();

  archives["empty"] = ZipBuilder().build();
  return archives;
}

void writeSeeds(const fs::path& folder, const std::string& name, const std::string& archive) {
  for (const tarvik::fuzzing::Mode mode : tarvik::fuzzing::kModes) {
    const fs::path seed = folder / (name + "." + std::to_string(static_cast<int>(mode)));
    std::ofstream(seed, std::ios::binary) << tarvik::fuzzing::leadFor(mode) << archive;
  }
}

std::string contentOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds OUTPUT_FOLDER [TOOL_ARCHIVE_FOLDER]\n");
    return 2;
  }
  const fs::path output = argv[1];
  fs::create_directories(output);
  for (const auto& [name, archive] : builtArchives()) writeSeeds(output, name, archive);
  if (argc > 2)
    for (const auto& entry : fs::directory_iterator(argv[2]))
      if (entry.is_regular_file() && entry.path().extension() != "")
        writeSeeds(output, entry.path().stem().string(), contentOf(entry.path()));
  return 0;
}
