#pragma once
// The bytes of res/banner.bmp, built into the program (generated from the file).

#include <cstddef>

namespace tarvik {

extern const unsigned char kBannerBitmap[];
extern const std::size_t kBannerBitmapSize;

}  // namespace tarvik
