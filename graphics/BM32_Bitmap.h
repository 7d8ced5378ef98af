#pragma once
// TBitmap32: the one in-memory image type; pixels are 0xAARRGGBB, rows from the top.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vl {

// An inclusive pixel rectangle. Boxes of images start inverted, (w - 1, h - 1, 0, 0), and widen.
struct RBox {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool operator==(const RBox&) const = default;
};

class TBitmap32 {
public:
  TBitmap32() = default;
  TBitmap32(int32_t w, int32_t h) { Resize(w, h); }
  TBitmap32(int32_t w, int32_t h, uint32_t col) { Resize(w, h, col); }

  void Clear();
  // Nothing when either side is <= 0 or the size is unchanged; otherwise w x h pixels of 0.
  void Resize(int32_t neww, int32_t newh);
  // As Resize, then every pixel := col (when both sides are > 0).
  void Resize(int32_t neww, int32_t newh, uint32_t col);
  void Fill(uint32_t col);
  // A copy of source; a source without pixels clears this bitmap, none leaves it unchanged.
  void Assign(const TBitmap32* source);
  // The rule for pictures that carry no alpha: when no pixel has a non-zero alpha, all become opaque.
  void OpaqueWhenNoAlpha();

  uint32_t GetPixel(int32_t x, int32_t y) const;
  void SetPixel(int32_t x, int32_t y, uint32_t col);
  bool Empty() const { return s_w <= 0 || s_h <= 0; }
  uint32_t* Row(int32_t y) { return s_data.data() + size_t(y) * size_t(s_w); }
  const uint32_t* Row(int32_t y) const { return s_data.data() + size_t(y) * size_t(s_w); }

  // Copies the rectangle (xo, yo, wo, ho) of bm to (x, y), clipped to both bitmaps; values unchanged.
  void DrawPart(int32_t x, int32_t y, const TBitmap32& bm, int32_t xo, int32_t yo, int32_t wo, int32_t ho);
  void Draw(int32_t x, int32_t y, const TBitmap32& bm) { DrawPart(x, y, bm, 0, 0, bm.s_w, bm.s_h); }

  // The smallest box holding every pixel whose alpha is above tolerance; (w - 1, h - 1, 0, 0) for none.
  RBox BoundingBox(int32_t tolerance) const;
  // Resamples to neww x newh with quality^2 samples per pixel; transparent samples count as black.
  // Nothing for a size <= 0, the same size or an empty bitmap.
  void Stretch(int32_t neww, int32_t newh, int32_t quality);

  // Writes a PNG file whatever the extension; false when the file cannot be written.
  bool SaveToImageFile(const std::string& fname) const;

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
// Encodes a bitmap as an 8-bit RGBA PNG: IHDR, one IDAT of unfiltered rows, IEND.
std::vector<uint8_t> BitmapToPng(const TBitmap32& bmp);

// The opaque pixel of a colour 0x00BBGGRR.
constexpr uint32_t PixelOfColour(uint32_t col) {
  return 0xFF000000u | (col & 0xFF) << 16 | (col & 0xFF00) | (col >> 16 & 0xFF);
}

// An opaque w x h gradient (each side at least 1) from col1 to col2, colours as 0x00BBGGRR, of one
// of the kinds 0 to 11; another kind gives the plain col1 fill.
TBitmap32 GradientBitmap(int32_t w, int32_t h, uint32_t col1, uint32_t col2, int32_t kind);

} // namespace vl
