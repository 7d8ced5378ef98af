#include "graphics/BM32_Bitmap.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vl {

void TBitmap32::Clear() {
  s_w = s_h = 0;
  s_data.clear();
  s_data.shrink_to_fit();
}

void TBitmap32::Resize(int32_t neww, int32_t newh, uint32_t col) {
  if (neww <= 0 || newh <= 0) return;
  s_w = neww;
  s_h = newh;
  s_data.assign(size_t(neww) * size_t(newh), col);
}

uint32_t TBitmap32::GetPixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= s_w || y >= s_h) return 0;
  return s_data[size_t(x) + size_t(y) * size_t(s_w)];
}

void TBitmap32::SetPixel(int32_t x, int32_t y, uint32_t col) {
  if (x < 0 || y < 0 || x >= s_w || y >= s_h) return;
  s_data[size_t(x) + size_t(y) * size_t(s_w)] = col;
}

namespace {

uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(uint8_t(x)), v.push_back(uint8_t(x >> 8));
}

// Scales a channel extracted with a bit-field mask to 0..255.
struct RChannel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit RChannel(uint32_t m) : mask(m) {
    if (m) shift = std::countr_zero(m), max = m >> shift;
  }
  uint32_t Get(uint32_t px) const {
    if (!mask) return 0;
    return ((px & mask) >> shift) * 255 / max;
  }
};

constexpr int32_t kMaxSide = 1 << 15; // guards memory against corrupt headers

} // namespace

std::unique_ptr<TBitmap32> BitmapFromBmp(const uint8_t* bytes, size_t size) {
  if (size < 14 + 12 || bytes[0] != 'B' || bytes[1] != 'M') return nullptr;
  const uint32_t pixelOffset = Le32(bytes + 10);
  const uint8_t* info = bytes + 14;
  const uint32_t infoSize = Le32(info);
  if (infoSize < 12 || 14 + uint64_t(infoSize) > size) return nullptr;
  int32_t w, h;
  uint16_t bits;
  uint32_t compression = 0, colours = 0;
  bool core = infoSize < 40;
  if (core) {
    w = Le16(info + 4), h = int16_t(Le16(info + 6)), bits = Le16(info + 10);
  } else {
    w = int32_t(Le32(info + 4)), h = int32_t(Le32(info + 8)), bits = Le16(info + 14);
    compression = Le32(info + 16), colours = Le32(info + 32);
  }
  const bool topDown = h < 0;
  if (topDown) h = -h;
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return nullptr;

  uint32_t masks[4] = {0, 0, 0, 0};
  if (compression == 3 || compression == 6) {
    // Masks follow a 40-byte header; later headers carry them inside.
    const uint8_t* m = info + 40;
    if (14 + 40 + 12 > size) return nullptr;
    masks[0] = Le32(m), masks[1] = Le32(m + 4), masks[2] = Le32(m + 8);
    if (infoSize >= 56 || compression == 6) {
      if (14 + 40 + 16 > size) return nullptr;
      masks[3] = Le32(m + 12);
    }
  } else if (compression != 0) {
    return nullptr;
  } else if (bits == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (bits == 32) {
    masks[0] = 0x00FF0000, masks[1] = 0x0000FF00, masks[2] = 0x000000FF, masks[3] = 0xFF000000;
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return nullptr;

  std::vector<uint32_t> palette;
  if (bits <= 8) {
    const uint32_t count = colours ? std::min<uint32_t>(colours, 1u << bits) : 1u << bits;
    const size_t entry = core ? 3 : 4;
    const uint8_t* p = info + infoSize;
    if (14 + infoSize + count * entry > size) return nullptr;
    palette.resize(1u << bits, 0);
    for (uint32_t i = 0; i < count; ++i, p += entry)
      palette[i] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
  }

  const uint64_t stride = ((uint64_t(w) * bits + 31) / 32) * 4;
  if (pixelOffset > size || stride * uint64_t(h) > size - pixelOffset) return nullptr;
  const RChannel r(masks[0]), g(masks[1]), b(masks[2]), a(masks[3]);

  auto bmp = std::make_unique<TBitmap32>(w, h);
  for (int32_t row = 0; row < h; ++row) {
    const uint8_t* src = bytes + pixelOffset + stride * uint64_t(topDown ? row : h - 1 - row);
    uint32_t* dst = bmp->s_data.data() + size_t(row) * size_t(w);
    for (int32_t x = 0; x < w; ++x) {
      switch (bits) {
      case 1: dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
      case 4: dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
      case 8: dst[x] = palette[src[x]]; break;
      case 24:
        dst[x] = uint32_t(src[3 * x]) | uint32_t(src[3 * x + 1]) << 8 | uint32_t(src[3 * x + 2]) << 16;
        break;
      default: {
        const uint32_t px = bits == 16 ? Le16(src + 2 * x) : Le32(src + 4 * x);
        dst[x] = a.Get(px) << 24 | r.Get(px) << 16 | g.Get(px) << 8 | b.Get(px);
      }
      }
    }
  }
  return bmp;
}

std::vector<uint8_t> BitmapToBmp(const TBitmap32& bmp) {
  const uint32_t dataSize = uint32_t(bmp.s_w) * uint32_t(bmp.s_h) * 4;
  std::vector<uint8_t> out;
  out.reserve(54 + dataSize);
  out.push_back('B'), out.push_back('M');
  Put32(out, 54 + dataSize), Put32(out, 0), Put32(out, 54);
  Put32(out, 40), Put32(out, uint32_t(bmp.s_w)), Put32(out, uint32_t(bmp.s_h));
  Put16(out, 1), Put16(out, 32);
  Put32(out, 0), Put32(out, dataSize), Put32(out, 2835), Put32(out, 2835), Put32(out, 0), Put32(out, 0);
  for (int32_t row = bmp.s_h - 1; row >= 0; --row)
    for (int32_t x = 0; x < bmp.s_w; ++x) Put32(out, bmp.s_data[size_t(x) + size_t(row) * size_t(bmp.s_w)]);
  return out;
}

} // namespace vl
