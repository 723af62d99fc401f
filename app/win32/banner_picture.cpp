#include "app/win32/banner_picture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/win32/banner_bytes.h"

namespace tarvik {
namespace {

template <class Record>
bool read(const unsigned char* bytes, std::size_t size, std::size_t offset, Record& record) {
  if (offset > size || size - offset < sizeof(Record)) return false;
  std::memcpy(&record, bytes + offset, sizeof(Record));
  return true;
}

std::size_t rowBytes(const BITMAPINFOHEADER& header) {
  return ((static_cast<std::size_t>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
}

}  // namespace

UniqueBitmap bitmapFromBmpFile(const unsigned char* bytes, std::size_t size) {
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  if (!read(bytes, size, 0, file) || file.bfType != 0x4D42) return nullptr;
  if (!read(bytes, size, sizeof(file), header) || header.biSize < sizeof(header)) return nullptr;
  if (header.biCompression != BI_RGB || header.biWidth <= 0 || header.biHeight == 0 ||
      header.biWidth > 4096 || header.biHeight > 4096 || header.biHeight < -4096)
    return nullptr;
  const std::size_t rows = static_cast<std::size_t>(std::abs(header.biHeight));
  const std::size_t pixelBytes = rowBytes(header) * rows;
  if (file.bfOffBits > size || size - file.bfOffBits < pixelBytes) return nullptr;
  if (file.bfOffBits < sizeof(file) + header.biSize) return nullptr;

  // The bitmap header and colour table lie between the file header and the pixels; copied so
  // that they are aligned.
  const std::size_t infoBytes = file.bfOffBits - sizeof(file);
  std::vector<DWORD> info((infoBytes + sizeof(DWORD) - 1) / sizeof(DWORD));
  std::memcpy(info.data(), bytes + sizeof(file), infoBytes);
  void* pixels = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()),
                                       DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!bitmap || !pixels) return nullptr;
  std::memcpy(pixels, bytes + file.bfOffBits, pixelBytes);
  GdiFlush();
  return bitmap;
}

UniqueBitmap loadBannerPicture() { return bitmapFromBmpFile(kBannerBitmap, kBannerBitmapSize); }

void drawPicture(HDC dc, const RECT& box, HBITMAP picture, int dpi) {
  FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
  if (!picture) return;
  BITMAP size{};
  GetObjectW(picture, sizeof(size), &size);
  // Drawn in its own pixels at 96 DPI and as much larger as the screen's DPI is.
  const int width = MulDiv(size.bmWidth, dpi, 96);
  const int height = MulDiv(size.bmHeight, dpi, 96);
  MemoryDc source(dc, picture);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
  if (width == size.bmWidth && height == size.bmHeight) {
    BitBlt(dc, box.left, box.top, width, height, source.get(), 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, box.left, box.top, width, height, source.get(), 0, 0, size.bmWidth,
               size.bmHeight, SRCCOPY);
  }
  RestoreDC(dc, saved);
}

}  // namespace tarvik
