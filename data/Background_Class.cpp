#include "data/Background_Class.h"

#include "data/Image_Record.h"
#include "data/Support_Stream.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Image_File.h"

#include <algorithm>

namespace vl {

namespace {

CBackgroundTable Table;

} // namespace

CBackgroundTable& Backgrounds() {
  return Table;
}

void CBackground::Clear() {
  FreeTexture();
  i_bitmap.Clear();
}

void CBackground::Assign(const CBackground& back) {
  if (&back == this) return;
  i_bitmap = back.i_bitmap;
  InitTexture();
}

bool CBackground::LoadFromStream(CStream& s) {
  if (s.ReadInteger() != kVersion) return false;
  Clear();
  LoadBitmapRecord(s, i_bitmap);
  return true;
}

void CBackground::SaveToStream(CStream& s) const {
  s.WriteInteger(kVersion);
  SaveBitmapRecord(s, i_bitmap);
}

bool CBackground::LoadFromFile(const std::string& fname, bool removeback, bool smooth) {
  std::unique_ptr<TBitmap32> image = LoadImageFile(fname);
  if (!image) return false;
  PrepareImage(*image, removeback, smooth);
  i_bitmap = std::move(*image);
  InitTexture();
  return true;
}

bool CBackground::LoadFromBackgroundFile(const std::string& fname) {
  CStream file;
  return file.LoadFromFile(fname) && LoadFromBackgroundStream(file);
}

bool CBackground::LoadFromBackgroundStream(CStream& file) {
  TBitmap32 bmp;
  try {
    if (file.ReadInteger() != kImageFileMark) return false;
    const auto s = file.ReadStreamC();
    if (s->ReadInteger() != kVersion) return false;
    s->ReadBoolean();
    for (int i = 0; i < 6; ++i) s->ReadInteger();
    LoadBitmapRecord(*s, bmp);
  } catch (const EStreamError&) {
    return false;
  }
  FillHiddenColours(bmp);
  i_bitmap = std::move(bmp);
  InitTexture();
  return true;
}

void CBackground::CreateFromBitmap(const TBitmap32& bbb, int32_t removeback, bool smooth) {
  TBitmap32 bmp = bbb;
  if (removeback == -1)
    for (uint32_t& px : bmp.s_data) px |= 0xFF000000u;
  else if (removeback != 1 && removeback != 2)
    bmp.OpaqueWhenNoAlpha();
  PrepareImage(bmp, removeback == 1, smooth);
  i_bitmap = std::move(bmp);
  InitTexture();
}

void CBackground::CreateColor(int32_t w, int32_t h, uint32_t col) {
  i_bitmap.Clear();
  i_bitmap.Resize(w, h, PixelOfColour(col));
  InitTexture();
}

void CBackground::CreateGradient(int32_t w, int32_t h, uint32_t col1, uint32_t col2, int32_t kind) {
  i_bitmap = GradientBitmap(w, h, col1, col2, kind);
  InitTexture();
}

void CBackground::SetAlphaFromBackground(const CBackground& back) {
  const TBitmap32& source = back.i_bitmap;
  const int32_t w = std::min(i_bitmap.s_w, source.s_w), h = std::min(i_bitmap.s_h, source.s_h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t px = source.Row(y)[x];
      const uint32_t alpha = (((px >> 16) & 255) + ((px >> 8) & 255) + (px & 255)) / 3;
      i_bitmap.Row(y)[x] = (i_bitmap.Row(y)[x] & 0xFFFFFF) | alpha << 24;
    }
  InitTexture();
}

void CBackground::InitTexture() {
  FreeTexture();
  CTexturePool& pool = TexturePool();
  int32_t id = pool.CreateTexture(i_bitmap.s_w, i_bitmap.s_h);
  if (id >= 0 && !pool.FillTexture(id, i_bitmap)) pool.FreeTexture(id), id = -1;
  if (id >= 0) pool.PreloadTexture(id);
  i_tex = id;
}

void CBackground::FreeTexture() {
  if (i_tex >= 0) TexturePool().FreeTexture(i_tex);
  i_tex = -1;
}

} // namespace vl
