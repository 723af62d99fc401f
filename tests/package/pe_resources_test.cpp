// The program file reader and its resource directory walk, on programs built byte by byte.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/pe_image.h"
#include "package/pe_resources.h"
#include "package/utf16.h"
#include "package/zip_layout.h"
#include "tests/package/resource_builders.h"

namespace tarvik::package {
namespace {

using testing::buildProgram;
using testing::resource;

std::vector<PeResource> mixedResources() {
  PeResource banner{{0, "BANNER", true}, {0, "Grün", true}, 0x0413, 1252, "picture"};
  return {resource(resource_type::kVersion, 1, "version bytes"),
          resource(resource_type::kIcon, 30001, "icon one"),
          resource(resource_type::kIcon, 30002, "icon two", 0x0413),
          resource(resource_type::kIcon, 30002, "icon two, English"), banner};
}

void expectSameResources(const std::vector<PeResource>& found,
                         const std::vector<PeResource>& expected) {
  ASSERT_EQ(found.size(), expected.size());
  for (size_t i = 0; i < found.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(found[i].type, expected[i].type);
    EXPECT_EQ(found[i].name, expected[i].name);
    EXPECT_EQ(found[i].language, expected[i].language);
    EXPECT_EQ(found[i].codePage, expected[i].codePage);
    EXPECT_EQ(found[i].data, expected[i].data);
  }
}

TEST(PeImage, ReadsHeadersAndSectionsOfBothKinds) {
  for (const bool pe32Plus : {true, false}) {
    SCOPED_TRACE(pe32Plus);
    const std::string bytes = buildProgram(mixedResources(), pe32Plus);
    const PeImage image(bytes);
    EXPECT_EQ(image.is64Bit(), pe32Plus);
    EXPECT_NE(image.checksum(), 0u);
    EXPECT_EQ(image.checksum(), image.computedChecksum());
    ASSERT_EQ(image.sections().size(), 1u);
    EXPECT_EQ(image.sections()[0].name, ".rsrc");
    EXPECT_EQ(image.sections()[0].rawPosition, testing::kResourceFilePosition);
    EXPECT_EQ(image.imageEnd(), bytes.size());
    EXPECT_EQ(image.dataDirectory(pe_directory::kResources).virtualAddress,
              testing::kResourceAddress);
    EXPECT_EQ(image.dataDirectory(pe_directory::kDebug).size, 0u);
    EXPECT_EQ(image.dataDirectory(99).virtualAddress, 0u);
    EXPECT_EQ(image.at(testing::kResourceAddress, 4),
              std::string_view(bytes).substr(testing::kResourceFilePosition, 4));
  }
}

TEST(PeImage, TheChecksumSumsTheWordsWithoutItsOwnFieldAndAddsTheLength) {
  std::string bytes = buildProgram(mixedResources());
  const uint32_t original = PeImage(bytes).computedChecksum();
  bytes[testing::kChecksumPosition] ^= 0x7F;  // the stored checksum does not count
  EXPECT_EQ(PeImage(bytes).computedChecksum(), original);
  bytes[0x300] = static_cast<char>(bytes[0x300] + 1);  // a word one higher, no carry
  EXPECT_EQ(PeImage(bytes).computedChecksum(), original + 1);
  bytes[0x301] = static_cast<char>(bytes[0x301] + 1);  // and 256 more
  EXPECT_EQ(PeImage(bytes).computedChecksum(), original + 1 + 256);
  bytes += std::string(2, '\0');  // the length counts, zero words do not
  EXPECT_EQ(PeImage(bytes).computedChecksum(), original + 1 + 256 + 2);
  bytes += std::string(1, '\x05');  // an odd last byte is a word of its own
  EXPECT_EQ(PeImage(bytes).computedChecksum(), original + 1 + 256 + 3 + 5);
}

TEST(PeImage, RefusesAddressesOutsideItsSectionsAndFilesThatAreNoPrograms) {
  const PeImage image(buildProgram(mixedResources()));
  EXPECT_THROW(image.at(0x10, 4), PeFormatError);
  EXPECT_THROW(image.at(testing::kResourceAddress + 0x10000, 4), PeFormatError);
  EXPECT_THROW(image.at(testing::kResourceAddress, 0x10000), PeFormatError);

  EXPECT_THROW(PeImage(""), PeFormatError);
  EXPECT_THROW(PeImage("PK\3\4 an archive, not a program at all........................"),
               PeFormatError);
  std::string noSignature = buildProgram({});
  noSignature[0x40] = 'X';
  EXPECT_THROW(PeImage{noSignature}, PeFormatError);
}

TEST(PeImage, EveryTruncationIsRefusedOrReadWithinTheBytes) {
  const std::string whole = buildProgram(mixedResources());
  for (size_t length = 0; length < whole.size(); length += 7) {
    try {
      const PeImage image(whole.substr(0, length));
      readResources(image);
      ADD_FAILURE() << "a program cut at " << length << " bytes was read";
    } catch (const PeFormatError&) {
    }
  }
}

TEST(PeResources, ReadsEveryResourceWithItsTypeNameLanguageAndBytes) {
  const std::vector<PeResource> resources = mixedResources();
  for (const bool pe32Plus : {true, false}) {
    SCOPED_TRACE(pe32Plus);
    expectSameResources(readResources(PeImage(buildProgram(resources, pe32Plus))), resources);
  }
  EXPECT_EQ(resources[4].type.display(), "BANNER");
  EXPECT_EQ(resources[0].type.display(), "#16");
}

TEST(PeResources, AProgramWithoutResourcesHasNone) {
  std::string bytes = buildProgram({});
  PeImage withEmptyDirectory(bytes);
  EXPECT_TRUE(readResources(withEmptyDirectory).empty());
  // No resource directory at all.
  const size_t directory = 0x40 + 4 + 20 + 112 + 8 * 2;
  bytes.replace(directory, 8, std::string(8, '\0'));
  EXPECT_TRUE(readResources(PeImage(bytes)).empty());
}

TEST(PeResources, DirectoriesThatLoopOrLeaveTheSectionAreRefused) {
  const std::string bytes = buildProgram({resource(resource_type::kIcon, 1, "x")});
  const size_t rootEntry = testing::kResourceFilePosition + 16;

  std::string looping = bytes;  // the type entry points back to the root directory
  std::string target;
  putU32(target, 0x80000000u);
  looping.replace(rootEntry + 4, 4, target);
  EXPECT_THROW(readResources(PeImage(looping)), PeFormatError);

  std::string outside = bytes;  // the type entry points far past the directory
  target.clear();
  putU32(target, 0x80000000u | 0x7FFFFFF0u);
  outside.replace(rootEntry + 4, 4, target);
  EXPECT_THROW(readResources(PeImage(outside)), PeFormatError);

  std::string dataTooEarly = bytes;  // the type entry points to data, one level too early
  target.clear();
  putU32(target, 0x18);
  dataTooEarly.replace(rootEntry + 4, 4, target);
  EXPECT_THROW(readResources(PeImage(dataTooEarly)), PeFormatError);
}

TEST(PeResources, EveryDamagedDirectoryByteIsReadOrRefusedWithoutStrayReads) {
  const std::string whole = buildProgram(mixedResources());
  const size_t directoryEnd = testing::kResourceFilePosition + 0x100;
  for (size_t at = testing::kResourceFilePosition; at < directoryEnd; ++at) {
    for (const char value : {'\xFF', '\x80', '\x00'}) {
      std::string damaged = whole;
      damaged[at] = value;
      try {
        for (const PeResource& found : readResources(PeImage(damaged)))
          EXPECT_LE(found.data.size(), damaged.size());
      } catch (const PeFormatError&) {
      }
    }
  }
}

TEST(Utf16, RoundTripsTextWithAndWithoutSurrogatePairs) {
  for (const std::string text : {"", "tarvik_installer", "Grün", "€ 20", "\xF0\x9F\x9B\xA9"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(text)), text);
  }
  EXPECT_EQ(utf8ToUtf16("A\xE2\x82\xAC"), std::string("A\0\xAC\x20", 4));
  EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x9B\xA9").size(), 4u);
}

TEST(Utf16, UnpairedSurrogatesAndBrokenUtf8BecomeReplacementCharacters) {
  EXPECT_EQ(utf16ToUtf8(std::string("\x00\xD8" "A\0", 4)), "\xEF\xBF\xBD" "A");
  EXPECT_EQ(utf16ToUtf8(std::string("\x00\xDC", 2)), "\xEF\xBF\xBD");
  EXPECT_EQ(utf16ToUtf8(std::string("A\0B", 3)), "A");  // the odd byte is dropped
  EXPECT_EQ(utf8ToUtf16("\xC3"), std::string("\xFD\xFF", 2));
  EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), std::string("\xFD\xFF", 2));  // an overlong "/"
  EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), std::string("\xFD\xFF", 2));  // a surrogate
}

}  // namespace
}  // namespace tarvik::package
