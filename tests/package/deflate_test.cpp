#include "package/deflate.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvik::package {
namespace {

std::string sampleText() {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "runway " + std::to_string(i % 37) + " lights\n";
  return text;
}

TEST(Deflate, RawStreamInflatesToTheSameBytes) {
  const std::string data = sampleText();
  const std::string compressed = deflateRaw(data);
  EXPECT_LT(compressed.size(), data.size() / 4);
  // A raw stream has no zlib header (whose first byte would be 0x78).
  EXPECT_NE(static_cast<unsigned char>(compressed[0]), 0x78);
  EXPECT_EQ(inflateRaw(compressed, data.size()), data);
}

TEST(Deflate, EmptyDataMakesAStreamThatInflatesToNothing) {
  const std::string compressed = deflateRaw("");
  EXPECT_FALSE(compressed.empty());
  EXPECT_EQ(inflateRaw(compressed, 0), "");
}

TEST(Deflate, InflateRefusesAStreamOfAnotherSize) {
  const std::string data = sampleText();
  const std::string compressed = deflateRaw(data);
  EXPECT_THROW(inflateRaw(compressed, data.size() - 1), DeflateError);
  EXPECT_THROW(inflateRaw(compressed, data.size() + 1), DeflateError);
}

TEST(Deflate, InflateRefusesDamagedCutOrTrailedStreams) {
  const std::string data = sampleText();
  const std::string compressed = deflateRaw(data);
  EXPECT_THROW(inflateRaw(compressed.substr(0, compressed.size() / 2), data.size()), DeflateError);
  EXPECT_THROW(inflateRaw(compressed + "junk", data.size()), DeflateError);
  std::string damaged = compressed;
  damaged[0] = static_cast<char>(0xFF);  // block type 3 does not exist
  EXPECT_THROW(inflateRaw(damaged, data.size()), DeflateError);
}

TEST(Deflate, Crc32IsTheZipChecksum) {
  EXPECT_EQ(crc32Of(""), 0u);
  EXPECT_EQ(crc32Of("123456789"), 0xCBF43926u);
  EXPECT_EQ(crc32Of(std::string(1, '\0')), 0xD202EF8Du);
}

}  // namespace
}  // namespace tarvik::package
