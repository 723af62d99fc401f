#include "package/payload_content.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "package/deflate.h"
#include "package/zip_layout.h"

namespace tarvik::package {
namespace {

PayloadEntry entry(std::string name, PayloadKind kind, uint32_t size, uint64_t seed = 1) {
  return {std::move(name), kind, size, DosDateTime{}, false, seed};
}

double deflatedShare(const std::string& bytes) {
  return static_cast<double>(deflateRaw(bytes, 6).size()) / static_cast<double>(bytes.size());
}

TEST(PayloadContent, HasTheEntrySizeAndTheSameBytesEveryTime) {
  for (uint32_t size : {148u, 149u, 4095u, 70000u, 1526557u}) {
    const PayloadEntry file = entry("scenery/tarv_a.bgl", PayloadKind::SceneryBgl, size);
    const std::string bytes = payloadContent(file);
    EXPECT_EQ(bytes.size(), size);
    EXPECT_EQ(payloadContent(file), bytes);
  }
  const std::string a = payloadContent(entry("texture/a.bmp", PayloadKind::Bitmap, 5000, 1));
  const std::string b = payloadContent(entry("texture/a.bmp", PayloadKind::Bitmap, 5000, 2));
  EXPECT_NE(a, b);
}

TEST(PayloadContent, EveryKindHoldsNulBytesEvenAtTheSmallestSize) {
  for (PayloadKind kind : {PayloadKind::SceneryBgl, PayloadKind::Bitmap, PayloadKind::AfTexture,
                           PayloadKind::Pattern, PayloadKind::Raw8}) {
    const std::string bytes = payloadContent(entry("texture/x", kind, 148));
    EXPECT_NE(bytes.find('\0'), std::string::npos) << static_cast<int>(kind);
  }
}

TEST(PayloadContent, BitmapsStartWithABitmapHeader) {
  const std::string bytes = payloadContent(entry("texture/g.bmp", PayloadKind::Bitmap, 66614));
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(getU32(bytes, 2), 66614u);
  EXPECT_EQ(getU32(bytes, 10), 54u + 1024u);  // pixels after header and palette
  EXPECT_EQ(getU16(bytes, 28), 8);            // bits per pixel
  const uint32_t width = getU32(bytes, 18);
  EXPECT_EQ(width, rowStyleOf(PayloadKind::Bitmap, 66614).width);
  EXPECT_EQ(getU32(bytes, 22), (66614u - 1078u) / width);
}

TEST(PayloadContent, DeflatesLikeTheAddOnsFiles) {
  const double scenery =
      deflatedShare(payloadContent(entry("scenery/s.bgl", PayloadKind::SceneryBgl, 1000000)));
  const double bitmap =
      deflatedShare(payloadContent(entry("texture/t.bmp", PayloadKind::Bitmap, 1000000)));
  EXPECT_GT(scenery, 0.22);
  EXPECT_LT(scenery, 0.28);
  EXPECT_GT(bitmap, 0.16);
  EXPECT_LT(bitmap, 0.22);
}

}  // namespace
}  // namespace tarvik::package
