#pragma once
// TBitmap32: the one in-memory image type; pixels are 0xAARRGGBB, rows from the top.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vl {

class TBitmap32 {
public:
  TBitmap32() = default;
  TBitmap32(int32_t w, int32_t h, uint32_t col = 0) { Resize(w, h, col); }

  void Clear();
  void Resize(int32_t neww, int32_t newh, uint32_t col = 0);
  uint32_t GetPixel(int32_t x, int32_t y) const;
  void SetPixel(int32_t x, int32_t y, uint32_t col);
  bool Empty() const { return s_w <= 0 || s_h <= 0; }

  int32_t s_w = 0;
  int32_t s_h = 0;
  std::vector<uint32_t> s_data;
};

// Decodes a Windows device-independent bitmap file (with file header): 1, 4, 8, 16, 24 and 32 bits
// per pixel, uncompressed or with bit-field masks. Depths below 32 give alpha 0, as the platform's
// conversion to 32 bits does. Returns null when the bytes are not a loadable bitmap.
std::unique_ptr<TBitmap32> BitmapFromBmp(const uint8_t* bytes, size_t size);
// Encodes a bitmap as a 32-bit uncompressed BMP file, alpha kept in the fourth byte.
std::vector<uint8_t> BitmapToBmp(const TBitmap32& bmp);

} // namespace vl
