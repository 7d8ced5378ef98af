#include "data/Image_Record.h"

#include "data/Support_Stream.h"

#include <algorithm>

namespace vl {

bool LoadBitmapRecord(CStream& s, TBitmap32& bmp) {
  if (s.ReadInteger() != kImageRecordVersion) return false;
  const int32_t w = s.ReadInteger(), h = s.ReadInteger();
  if (int64_t(w) * h <= 0) {
    bmp.Clear();
    return w == 0 || h == 0;
  }
  const auto block = s.ReadStream();
  // Trust the block, not the sizes: a record whose block holds another amount is damaged.
  if (w <= 0 || h <= 0 || uint64_t(w) * uint64_t(h) * 4 != block->Size()) {
    bmp.Clear();
    return false;
  }
  TBitmap32 read(w, h);
  std::copy_n(block->Data(), block->Size(), reinterpret_cast<uint8_t*>(read.s_data.data()));
  bmp = std::move(read);
  return true;
}

void SaveBitmapRecord(CStream& s, const TBitmap32& bmp) {
  s.WriteInteger(kImageRecordVersion);
  s.WriteInteger(bmp.s_w);
  s.WriteInteger(bmp.s_h);
  if (bmp.Empty()) return;
  CStream block(reinterpret_cast<const uint8_t*>(bmp.s_data.data()), bmp.s_data.size() * 4);
  s.WriteStream(block);
}

bool LoadMaskRecord(CStream& s, TMask& mask) {
  mask = TMask();
  if (s.ReadInteger() != kImageRecordVersion) return false;
  const int32_t w = s.ReadInteger(), h = s.ReadInteger();
  RBox box;
  box.left = s.ReadInteger();
  box.right = s.ReadInteger();
  box.bottom = s.ReadInteger();
  box.top = s.ReadInteger();
  if (w < 0 || h < 0 || uint64_t(w) * uint64_t(h) * 4 > s.Size() - std::min(s.Size(), s.Position()))
    throw EStreamError("Stream read error");
  mask.i_w = w, mask.i_h = h, mask.i_bbox = box;
  mask.i_mask.assign(size_t(w) * size_t(h), 0);
  // No column, no pixel: a height alone must not drive the loop.
  if (w == 0) return true;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) mask.SetBit(x, y, s.ReadBoolean());
  return true;
}

void SaveMaskRecord(CStream& s, const TMask& mask) {
  s.WriteInteger(kImageRecordVersion);
  s.WriteInteger(mask.i_w);
  s.WriteInteger(mask.i_h);
  for (int32_t v : {mask.i_bbox.left, mask.i_bbox.right, mask.i_bbox.bottom, mask.i_bbox.top})
    s.WriteInteger(v);
  for (int32_t y = 0; y < mask.i_h; ++y)
    for (int32_t x = 0; x < mask.i_w; ++x) s.WriteBoolean(mask.Bit(x, y));
}

void RemoveBackground(TBitmap32& bmp) {
  if (bmp.Empty()) return;
  const uint32_t colour = bmp.GetPixel(0, bmp.s_h - 1) & 0xFFFFFF;
  for (uint32_t& px : bmp.s_data)
    if ((px & 0xFFFFFF) == colour) px = colour;
}

void SmoothEdges(TBitmap32& bmp) {
  for (int32_t y = 0; y < bmp.s_h; ++y)
    for (int32_t x = 0; x < bmp.s_w; ++x) {
      if (bmp.Row(y)[x] >> 24) continue;
      for (int32_t ny = std::max(y - 1, 0); ny <= std::min(y + 1, bmp.s_h - 1); ++ny)
        for (int32_t nx = std::max(x - 1, 0); nx <= std::min(x + 1, bmp.s_w - 1); ++nx) {
          uint32_t& px = bmp.Row(ny)[nx];
          if ((px >> 24) >= 32) px -= uint32_t(32) << 24;
        }
    }
}

void FillHiddenColours(TBitmap32& bmp) {
  // Only visible pixels give colours and none of them changes, so one pass in place is enough.
  for (int32_t y = 0; y < bmp.s_h; ++y)
    for (int32_t x = 0; x < bmp.s_w; ++x) {
      uint32_t& px = bmp.Row(y)[x];
      if (px >> 24) continue;
      for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
        const uint32_t n = bmp.GetPixel(x + dx, y + dy);
        if (n >> 24) {
          px = n & 0xFFFFFF;
          break;
        }
      }
    }
}

void PrepareImage(TBitmap32& bmp, bool removeback, bool smooth) {
  if (removeback) RemoveBackground(bmp);
  if (smooth) SmoothEdges(bmp);
  if (removeback || smooth) FillHiddenColours(bmp);
}

} // namespace vl
