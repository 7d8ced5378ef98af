#include "graphics/BM32_Bitmap.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <zlib.h>

namespace vl {

void TBitmap32::Clear() {
  s_w = s_h = 0;
  s_data.clear();
  s_data.shrink_to_fit();
}

void TBitmap32::Resize(int32_t neww, int32_t newh) {
  if (neww <= 0 || newh <= 0 || (neww == s_w && newh == s_h)) return;
  s_w = neww;
  s_h = newh;
  s_data.assign(size_t(neww) * size_t(newh), 0);
}

void TBitmap32::Resize(int32_t neww, int32_t newh, uint32_t col) {
  if (neww <= 0 || newh <= 0) return;
  Resize(neww, newh);
  Fill(col);
}

void TBitmap32::Fill(uint32_t col) {
  std::fill(s_data.begin(), s_data.end(), col);
}

void TBitmap32::Assign(const TBitmap32* source) {
  if (!source || source == this) return;
  if (source->Empty()) {
    Clear();
    return;
  }
  s_w = source->s_w;
  s_h = source->s_h;
  s_data = source->s_data;
}

void TBitmap32::OpaqueWhenNoAlpha() {
  if (std::any_of(s_data.begin(), s_data.end(), [](uint32_t px) { return (px >> 24) != 0; })) return;
  for (uint32_t& px : s_data) px |= 0xFF000000u;
}

uint32_t TBitmap32::GetPixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= s_w || y >= s_h) return 0;
  return s_data[size_t(x) + size_t(y) * size_t(s_w)];
}

void TBitmap32::SetPixel(int32_t x, int32_t y, uint32_t col) {
  if (x < 0 || y < 0 || x >= s_w || y >= s_h) return;
  s_data[size_t(x) + size_t(y) * size_t(s_w)] = col;
}

void TBitmap32::DrawPart(int32_t x, int32_t y, const TBitmap32& bm, int32_t xo, int32_t yo, int32_t wo,
                         int32_t ho) {
  if (&bm == this) {
    const TBitmap32 copy = bm;
    DrawPart(x, y, copy, xo, yo, wo, ho);
    return;
  }
  // 64-bit arithmetic: the clipping below must not overflow on extreme arguments.
  int64_t dx = x, dy = y, sx = xo, sy = yo, w = wo, h = ho;
  if (sx < 0) dx -= sx, w += sx, sx = 0;
  if (sy < 0) dy -= sy, h += sy, sy = 0;
  w = std::min<int64_t>(w, bm.s_w - sx);
  h = std::min<int64_t>(h, bm.s_h - sy);
  if (dx < 0) sx -= dx, w += dx, dx = 0;
  if (dy < 0) sy -= dy, h += dy, dy = 0;
  w = std::min<int64_t>(w, s_w - dx);
  h = std::min<int64_t>(h, s_h - dy);
  if (w <= 0 || h <= 0) return;
  for (int64_t row = 0; row < h; ++row)
    std::copy_n(bm.Row(int32_t(sy + row)) + sx, size_t(w), Row(int32_t(dy + row)) + dx);
}

RBox TBitmap32::BoundingBox(int32_t tolerance) const {
  RBox box{s_w - 1, s_h - 1, 0, 0};
  for (int32_t y = 0; y < s_h; ++y) {
    const uint32_t* row = Row(y);
    for (int32_t x = 0; x < s_w; ++x) {
      if (int32_t(row[x] >> 24) <= tolerance) continue;
      box.left = std::min(box.left, x), box.right = std::max(box.right, x);
      box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

void TBitmap32::Stretch(int32_t neww, int32_t newh, int32_t quality) {
  if (neww <= 0 || newh <= 0 || (neww == s_w && newh == s_h) || Empty()) return;
  const int32_t q = std::max(quality, 1);
  const TBitmap32 old = std::move(*this);
  Clear();
  Resize(neww, newh);
  const double fx = double(neww) / old.s_w, fy = double(newh) / old.s_h;
  const double samples = double(q) * q;
  // Source columns and rows per sample; floating error must not step past the last one.
  auto source = [q](int32_t n, double f, int32_t limit) {
    std::vector<int32_t> at(size_t(n) * size_t(q));
    for (int32_t j = 0; j < n; ++j)
      for (int32_t c = 0; c < q; ++c)
        at[size_t(j) * size_t(q) + size_t(c)] =
            std::clamp(int32_t(std::floor((double(c) / q + j) / f)), 0, limit - 1);
    return at;
  };
  const std::vector<int32_t> xs = source(neww, fx, old.s_w), ys = source(newh, fy, old.s_h);
  for (int32_t i = 0; i < newh; ++i) {
    for (int32_t j = 0; j < neww; ++j) {
      double sum[4] = {0, 0, 0, 0};
      for (int32_t cy = 0; cy < q; ++cy) {
        const uint32_t* row = old.Row(ys[size_t(i) * size_t(q) + size_t(cy)]);
        for (int32_t cx = 0; cx < q; ++cx) {
          const uint32_t px = row[xs[size_t(j) * size_t(q) + size_t(cx)]];
          if ((px >> 24) == 0) continue;
          for (int ch = 0; ch < 4; ++ch) sum[ch] += (px >> (8 * ch)) & 255;
        }
      }
      uint32_t out = 0;
      for (int ch = 0; ch < 4; ++ch) out |= uint32_t(std::nearbyint(sum[ch] / samples)) << (8 * ch);
      Row(i)[j] = out;
    }
  }
}

bool TBitmap32::SaveToImageFile(const std::string& fname) const {
  const std::vector<uint8_t> png = BitmapToPng(*this);
  std::ofstream out(fname, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  out.close();
  return bool(out);
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
  // A negative height means rows from the top; the lowest one has no positive counterpart.
  if (h == INT32_MIN) return nullptr;
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

// ---- PNG ----------------------------------------------------------------------------------------

namespace {

void PutBe32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 3; i >= 0; --i) v.push_back(uint8_t(x >> (8 * i)));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBe32(out, uint32_t(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBe32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

} // namespace

std::vector<uint8_t> BitmapToPng(const TBitmap32& bmp) {
  const uint32_t w = uint32_t(std::max(bmp.s_w, 0)), h = uint32_t(std::max(bmp.s_h, 0));
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> header;
  PutBe32(header, w), PutBe32(header, h);
  header.insert(header.end(), {8, 6, 0, 0, 0});
  PutChunk(out, "IHDR", header);

  std::vector<uint8_t> raw;
  raw.reserve(size_t(h) * (1 + size_t(w) * 4));
  for (uint32_t y = 0; y < h; ++y) {
    raw.push_back(0);
    for (const uint32_t *px = bmp.Row(int32_t(y)), *end = px + w; px != end; ++px)
      raw.insert(raw.end(), {uint8_t(*px >> 16), uint8_t(*px >> 8), uint8_t(*px), uint8_t(*px >> 24)});
  }
  uLongf size = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(size);
  compress2(packed.data(), &size, raw.data(), uLong(raw.size()), Z_DEFAULT_COMPRESSION);
  packed.resize(size);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}

// ---- Gradients ----------------------------------------------------------------------------------

namespace {

// Drawing with a pen of width 1 under the raster rules of the platform's picture services: lines
// include their first point and exclude the last; filled shapes cover x1..x2 - 1, y1..y2 - 1.
class CGradientCanvas {
public:
  explicit CGradientCanvas(TBitmap32& bmp) : c_bmp(bmp) {}

  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t col) {
    const int64_t dx = std::abs(int64_t(x2) - x1), dy = -std::abs(int64_t(y2) - y1);
    const int32_t sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int64_t err = dx + dy;
    int32_t x = x1, y = y1;
    while (x != x2 || y != y2) {
      c_bmp.SetPixel(x, y, col);
      const int64_t e2 = 2 * err;
      if (e2 >= dy) err += dy, x += sx;
      if (e2 <= dx) err += dx, y += sy;
    }
  }

  void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t col) {
    for (int32_t y = std::max(y1, 0); y < std::min(y2, c_bmp.s_h); ++y)
      for (int32_t x = std::max(x1, 0); x < std::min(x2, c_bmp.s_w); ++x) c_bmp.Row(y)[x] = col;
  }

  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t col) {
    const double cx = (double(x1) + x2) / 2, cy = (double(y1) + y2) / 2;
    const double rx = (double(x2) - x1) / 2, ry = (double(y2) - y1) / 2;
    if (rx <= 0 || ry <= 0) return;
    for (int32_t y = std::max(y1, 0); y < std::min(y2, c_bmp.s_h); ++y) {
      const double v = (y + 0.5 - cy) / ry;
      for (int32_t x = std::max(x1, 0); x < std::min(x2, c_bmp.s_w); ++x) {
        const double u = (x + 0.5 - cx) / rx;
        if (u * u + v * v <= 1) c_bmp.Row(y)[x] = col;
      }
    }
  }

private:
  TBitmap32& c_bmp;
};

uint32_t MergePixel(uint32_t a, uint32_t b, double t) {
  uint32_t out = 0xFF000000u;
  for (int ch = 0; ch < 3; ++ch) {
    const double ca = (a >> (8 * ch)) & 255, cb = (b >> (8 * ch)) & 255;
    out |= uint32_t(std::nearbyint((1 - t) * ca + t * cb)) << (8 * ch);
  }
  return out;
}

} // namespace

TBitmap32 GradientBitmap(int32_t w, int32_t h, uint32_t col1, uint32_t col2, int32_t kind) {
  w = std::max(w, 1), h = std::max(h, 1);
  const uint32_t p1 = PixelOfColour(col1), p2 = PixelOfColour(col2);
  TBitmap32 bmp(w, h, p1);
  CGradientCanvas c(bmp);
  auto merge = [&](double t) { return MergePixel(p1, p2, t); };
  switch (kind) {
  case 0:
    for (int32_t i = 0; i < w; ++i) c.Line(i, 0, i, h, merge(double(i) / w));
    break;
  case 1:
    for (int32_t i = 0; i < h; ++i) c.Line(0, i, w, i, merge(double(i) / h));
    break;
  case 2:
  case 3: {
    const int32_t g = std::min(w, h) / 2;
    for (int32_t i = 0; i <= g; ++i) {
      const uint32_t col = merge(g == 0 ? 0.0 : double(i) / g);
      if (kind == 2)
        c.Rectangle(i, i, w - i, h - i, col);
      else
        c.Ellipse(i, i, w - i, h - i, col);
    }
    break;
  }
  case 4: {
    const int32_t g = w / 2;
    for (int32_t i = 0; i <= g; ++i) {
      const uint32_t col = merge(g == 0 ? 0.0 : double(i) / g);
      c.Line(i, 0, i, h, col), c.Line(w - i, 0, w - i, h, col);
    }
    break;
  }
  case 5: {
    const int32_t g = h / 2;
    for (int32_t i = 0; i <= g; ++i) {
      const uint32_t col = merge(g == 0 ? 0.0 : double(i) / g);
      c.Line(0, i, w, i, col), c.Line(0, h - i, w, h - i, col);
    }
    break;
  }
  case 6:
    for (int32_t i = 0; i <= h; ++i) {
      const uint32_t col = merge(double(i) / h);
      c.Line(0, i, w, h + i, col), c.Line(0, -i, w, h - i, col);
    }
    break;
  case 7:
    for (int32_t i = 0; i <= h; ++i) {
      const uint32_t col = merge(double(i) / h);
      c.Line(0, h + i, w, i, col), c.Line(0, h - i, w, -i, col);
    }
    break;
  case 8:
  case 9:
  case 10:
  case 11: {
    const int32_t cx = kind == 9 || kind == 11 ? w : 0, cy = kind >= 10 ? h : 0;
    const int32_t size = std::min(w, h);
    for (int32_t f = size; f >= 1; --f)
      c.Ellipse(cx - f, cy - f, cx + f, cy + f, MergePixel(p2, p1, double(f) / size));
    break;
  }
  default: break;
  }
  return bmp;
}

} // namespace vl
