#include "platform/reparse_tag.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

TEST(ReparseTagTest, OnlyTagsThatNameAnotherFileAreLinks) {
  EXPECT_TRUE(reparse_tag::isLink(reparse_tag::kSymbolicLink));
  EXPECT_TRUE(reparse_tag::isLink(reparse_tag::kMountPoint));  // junctions too
  EXPECT_TRUE(reparse_tag::isLink(0xA0000027));                // a WSL symbolic link
  EXPECT_FALSE(reparse_tag::isLink(reparse_tag::kCompressed));
  EXPECT_FALSE(reparse_tag::isLink(reparse_tag::kDeduplicated));
  EXPECT_FALSE(reparse_tag::isLink(reparse_tag::kCloudFile));
  EXPECT_FALSE(reparse_tag::isLink(0x9000301A));  // a cloud file of another provider
  EXPECT_FALSE(reparse_tag::isLink(0x80000014));  // a single-instance store file
}

}  // namespace
}  // namespace tarvik
