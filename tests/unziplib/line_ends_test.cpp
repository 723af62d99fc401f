#include "unziplib/line_ends.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvik::unziplib {
namespace {

class Collector : public DataSink {
 public:
  void write(std::span<const uint8_t> bytes) override { text.append(bytes.begin(), bytes.end()); }
  std::string text;
};

std::span<const uint8_t> bytesOf(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(LineEndTest, TurnsEveryLineEndIntoCrLfAcrossPieces) {
  Collector out;
  LineEndSink sink(out);
  sink.write(bytesOf("a\nb\r"));
  sink.write(bytesOf("\nc\rd\r\n\n"));
  sink.write(bytesOf("\r"));
  sink.write(bytesOf("e"));
  EXPECT_EQ(out.text, "a\r\nb\r\nc\r\nd\r\n\r\n\r\ne");
}

TEST(LineEndTest, PassesBinaryDataUnchanged) {
  const std::string binary("x\ny\0z\r\n", 7);
  EXPECT_TRUE(looksBinary(bytesOf(binary)));
  EXPECT_FALSE(looksBinary(bytesOf("plain\ttext\r\nwith\fform feed\x1A")));
  Collector out;
  LineEndSink sink(out);
  sink.write(bytesOf(binary));
  sink.write(bytesOf("more\n"));
  EXPECT_EQ(out.text, binary + "more\n");
}

}  // namespace
}  // namespace tarvik::unziplib
