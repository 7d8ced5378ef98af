#include "data/Sprite_Class.h"

#include "data/Image_Record.h"
#include "data/Support_Stream.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Image_File.h"

#include <algorithm>
#include <filesystem>

namespace vl {

namespace {

CSpriteTable Table;

bool EndsWithGif(const std::string& fname) {
  if (fname.size() < 4) return false;
  std::string ext = fname.substr(fname.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ext == ".gif";
}

bool FileExists(const std::string& fname) {
  std::error_code ec;
  return std::filesystem::is_regular_file(fname, ec);
}

} // namespace

CSpriteTable& Sprites() {
  return Table;
}

void CSprite::Clear() {
  FreeTexture();
  i_bitmap.clear();
  i_xorig = i_yorig = 0;
  i_bbox = RBox();
  FreeMask();
  i_sepmasks = false;
}

void CSprite::Assign(const CSprite& spr) {
  if (&spr == this) return;
  FreeTexture();
  i_bitmap = spr.i_bitmap;
  i_xorig = spr.i_xorig;
  i_yorig = spr.i_yorig;
  i_bbox = spr.i_bbox;
  i_mask = spr.i_mask;
  i_sepmasks = spr.i_sepmasks;
  InitTexture();
}

bool CSprite::LoadFromStream(CStream& s) {
  if (s.ReadInteger() != kVersion) return false;
  Clear();
  i_xorig = s.ReadInteger();
  i_yorig = s.ReadInteger();
  const int32_t n = s.ReadInteger();
  // Frame by frame: a damaged count runs out of bytes before it can ask for much memory.
  for (int32_t i = 0; i < n; ++i) {
    TBitmap32 frame;
    LoadBitmapRecord(s, frame);
    i_bitmap.push_back(std::move(frame));
  }
  i_sepmasks = s.ReadBoolean();
  if (n > 0) {
    const int32_t masks = i_sepmasks ? n : 1;
    for (int32_t i = 0; i < masks; ++i) {
      TMask mask;
      LoadMaskRecord(s, mask);
      i_mask.push_back(std::move(mask));
    }
  }
  ComputeBoundingBox();
  return true;
}

void CSprite::SaveToStream(CStream& s) const {
  s.WriteInteger(kVersion);
  s.WriteInteger(i_xorig);
  s.WriteInteger(i_yorig);
  s.WriteInteger(Count());
  for (const TBitmap32& frame : i_bitmap) SaveBitmapRecord(s, frame);
  s.WriteBoolean(i_sepmasks);
  if (Count() == 0) return;
  const size_t masks = i_sepmasks ? size_t(Count()) : 1;
  for (size_t i = 0; i < masks; ++i) SaveMaskRecord(s, i < i_mask.size() ? i_mask[i] : TMask());
}

bool CSprite::LoadFromFile(const std::string& fname, int32_t imgnumb, bool removeback, bool smooth,
                           int32_t xo, int32_t yo) {
  if (!FileExists(fname)) return false;
  const bool loaded = EndsWithGif(fname) ? LoadGifFromFile(fname, removeback, smooth)
                                         : LoadStripFromFile(fname, imgnumb, removeback, smooth);
  if (!loaded) return false;
  i_xorig = xo;
  i_yorig = yo;
  InitTexture();
  ComputeMask(false, TMask::kBoxAutomatic, RBox(), TMask::kPrecise, 0);
  return true;
}

bool CSprite::LoadStripFromFile(const std::string& fname, int32_t imgnumb, bool removeback, bool smooth) {
  const std::unique_ptr<TBitmap32> image = LoadImageFile(fname);
  if (!image) return false;
  // More frames than columns would be frames without pixels.
  const int32_t count = std::clamp(imgnumb, 1, std::max(image->s_w, 1));
  const int32_t fw = image->s_w / count;
  Clear();
  for (int32_t i = 0; i < count; ++i) {
    TBitmap32 frame(fw, image->s_h);
    frame.DrawPart(0, 0, *image, i * fw, 0, fw, image->s_h);
    PrepareImage(frame, removeback, smooth);
    i_bitmap.push_back(std::move(frame));
  }
  return true;
}

bool CSprite::LoadGifFromFile(const std::string& fname, bool removeback, bool smooth) {
  std::vector<uint8_t> bytes;
  std::vector<TBitmap32> frames;
  if (!ReadFileBytes(fname, bytes) || !DecodeGifFrames(bytes.data(), bytes.size(), frames)) return false;
  Clear();
  for (TBitmap32& frame : frames) PrepareImage(frame, removeback, smooth);
  i_bitmap = std::move(frames);
  return true;
}

bool CSprite::LoadFromSpriteFile(const std::string& fname) {
  CStream file;
  return file.LoadFromFile(fname) && LoadFromSpriteStream(file);
}

bool CSprite::LoadFromSpriteStream(CStream& file) {
  std::vector<TBitmap32> frames;
  int32_t xo, yo, kind, tolerance, bbmode;
  bool sepmasks;
  RBox box;
  try {
    if (file.ReadInteger() != kImageFileMark) return false;
    const auto s = file.ReadStreamC();
    if (s->ReadInteger() != kVersion) return false;
    xo = s->ReadInteger();
    yo = s->ReadInteger();
    const int32_t n = s->ReadInteger();
    for (int32_t i = 0; i < n; ++i) {
      TBitmap32 frame;
      LoadBitmapRecord(*s, frame);
      FillHiddenColours(frame);
      frames.push_back(std::move(frame));
    }
    kind = s->ReadInteger();
    tolerance = s->ReadInteger();
    sepmasks = s->ReadBoolean();
    bbmode = s->ReadInteger();
    box.left = s->ReadInteger();
    box.right = s->ReadInteger();
    box.bottom = s->ReadInteger();
    box.top = s->ReadInteger();
  } catch (const EStreamError&) {
    return false;
  }
  Clear();
  i_bitmap = std::move(frames);
  i_xorig = xo;
  i_yorig = yo;
  InitTexture();
  ComputeMask(sepmasks, bbmode, box, kind, tolerance);
  return true;
}

void CSprite::CreateFromBitmap(const TBitmap32& bbb, int32_t removeback, bool smooth, int32_t xo,
                               int32_t yo) {
  TBitmap32 frame = bbb;
  if (removeback == -1)
    for (uint32_t& px : frame.s_data) px |= 0xFF000000u;
  else if (removeback != 1 && removeback != 2)
    frame.OpaqueWhenNoAlpha();
  PrepareImage(frame, removeback == 1, smooth);
  Clear();
  i_bitmap.push_back(std::move(frame));
  i_xorig = xo;
  i_yorig = yo;
  InitTexture();
  ComputeMask(false, TMask::kBoxAutomatic, RBox(), TMask::kPrecise, 0);
}

void CSprite::AddFromBitmap(const TBitmap32& bbb, bool removeback, bool smooth) {
  TBitmap32 frame = bbb;
  PrepareImage(frame, removeback, smooth);
  if (Count() > 0) frame.Stretch(GetWidth(), GetHeight(), 1);
  i_bitmap.push_back(std::move(frame));
  InitTexture();
  ComputeMask(i_sepmasks, TMask::kBoxAutomatic, RBox(), TMask::kPrecise, 0);
}

void CSprite::AddFromSprite(const CSprite& spr) {
  const bool scale = Count() > 0;
  const int32_t w = GetWidth(), h = GetHeight();
  const std::vector<TBitmap32> frames = spr.i_bitmap; // spr may be this sprite
  for (TBitmap32 frame : frames) {
    if (scale) frame.Stretch(w, h, 1);
    i_bitmap.push_back(std::move(frame));
  }
  InitTexture();
  ComputeMask(i_sepmasks, TMask::kBoxAutomatic, RBox(), TMask::kPrecise, 0);
}

void CSprite::SetAlphaFromSprite(const CSprite& spr) {
  if (spr.Count() == 0) return;
  for (int32_t i = 0; i < Count(); ++i) {
    TBitmap32& frame = i_bitmap[size_t(i)];
    const TBitmap32& source = spr.i_bitmap[size_t(i % spr.Count())];
    const int32_t w = std::min(frame.s_w, source.s_w), h = std::min(frame.s_h, source.s_h);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const uint32_t px = source.Row(y)[x];
        const uint32_t alpha = (((px >> 16) & 255) + ((px >> 8) & 255) + (px & 255)) / 3;
        frame.Row(y)[x] = (frame.Row(y)[x] & 0xFFFFFF) | alpha << 24;
      }
  }
  InitTexture();
}

void CSprite::ComputeMask(bool sepmasks, int32_t bbmode, RBox bbox, int32_t kind, int32_t tolerance) {
  FreeMask();
  i_sepmasks = sepmasks;
  if (Count() == 0) {
    i_bbox = RBox();
    return;
  }
  if (sepmasks) {
    for (const TBitmap32& frame : i_bitmap) i_mask.emplace_back(&frame, bbmode, bbox, kind, tolerance);
  } else {
    i_mask.emplace_back(&i_bitmap[0], bbmode, bbox, kind, tolerance);
    for (size_t i = 1; i < i_bitmap.size(); ++i) i_mask[0].Merge(&i_bitmap[i], bbmode, bbox, kind, tolerance);
  }
  ComputeBoundingBox();
}

void CSprite::ComputeBoundingBox() {
  if (Count() == 0 || i_mask.empty()) {
    i_bbox = RBox();
    return;
  }
  if (!i_sepmasks) {
    i_bbox = i_mask[0].i_bbox;
    return;
  }
  RBox box{GetWidth() - 1, GetHeight() - 1, 0, 0};
  for (const TMask& mask : i_mask) {
    box.left = std::min(box.left, mask.i_bbox.left);
    box.top = std::min(box.top, mask.i_bbox.top);
    box.right = std::max(box.right, mask.i_bbox.right);
    box.bottom = std::max(box.bottom, mask.i_bbox.bottom);
  }
  i_bbox = box;
}

void CSprite::FreeMask() {
  i_mask.clear();
}

void CSprite::InitTexture() {
  FreeTexture();
  CTexturePool& pool = TexturePool();
  for (const TBitmap32& frame : i_bitmap) {
    int32_t id = pool.CreateTexture(frame.s_w, frame.s_h);
    if (id >= 0 && !pool.FillTexture(id, frame)) pool.FreeTexture(id), id = -1;
    if (id >= 0) pool.PreloadTexture(id);
    i_tex.push_back(id);
  }
}

void CSprite::FreeTexture() {
  if (i_tex.empty()) return;
  CTexturePool& pool = TexturePool();
  for (int32_t id : i_tex)
    if (id >= 0) pool.FreeTexture(id);
  i_tex.clear();
}

int32_t CSprite::Wrap(int32_t ind) const {
  const int32_t r = ind % Count();
  return r < 0 ? r + Count() : r;
}

int32_t CSprite::GetTexture(int32_t ind) const {
  if (Count() == 0) return -1;
  const size_t i = size_t(Wrap(ind));
  return i < i_tex.size() ? i_tex[i] : -1;
}

int32_t CSprite::GetWidth() const {
  return Count() == 0 ? 1 : i_bitmap[0].s_w;
}

int32_t CSprite::GetHeight() const {
  return Count() == 0 ? 1 : i_bitmap[0].s_h;
}

std::unique_ptr<TBitmap32> CSprite::GetBitmap(int32_t ind) const {
  if (ind < 0 || ind >= Count()) return nullptr;
  return std::make_unique<TBitmap32>(i_bitmap[size_t(ind)]);
}

RBox CSprite::GetBoundingBoxImg(int32_t ind) const {
  if (ind < 0 || ind >= Count()) return RBox();
  return i_bitmap[size_t(ind)].BoundingBox(0);
}

const TMask* CSprite::MaskOf(int32_t img) const {
  if (Count() == 0 || i_mask.empty()) return nullptr;
  if (!i_sepmasks) return &i_mask[0];
  const size_t i = size_t(Wrap(img));
  return i < i_mask.size() ? &i_mask[i] : nullptr;
}

RMaskPose CSprite::Pose(const RSpritePlace& place) const {
  return {place.sp_x, place.sp_y, i_xorig, i_yorig, place.sp_xscale, place.sp_yscale, place.sp_angle};
}

bool CSprite::CheckCollision(const RSpritePlace& mine, const CSprite* spr, const RSpritePlace& theirs) const {
  const TMask* a = MaskOf(mine.sp_image);
  const TMask* b = spr ? spr->MaskOf(theirs.sp_image) : nullptr;
  return a && b && a->CollisionMask(mine.sp_bbox, Pose(mine), b, theirs.sp_bbox, spr->Pose(theirs));
}

bool CSprite::CheckCollisionPoint(const RSpritePlace& place, int32_t x, int32_t y) const {
  const TMask* mask = MaskOf(place.sp_image);
  return mask && mask->CollisionPoint(Pose(place), x, y);
}

bool CSprite::CheckCollisionRectangle(const RSpritePlace& place, const RBox& rr) const {
  const TMask* mask = MaskOf(place.sp_image);
  return mask && mask->CollisionRectangle(place.sp_bbox, Pose(place), rr);
}

bool CSprite::CheckCollisionEllipse(const RSpritePlace& place, const RBox& rr) const {
  const TMask* mask = MaskOf(place.sp_image);
  return mask && mask->CollisionEllipse(place.sp_bbox, Pose(place), rr);
}

bool CSprite::CheckCollisionLine(const RSpritePlace& place, int32_t xl, int32_t yl, int32_t xr,
                                 int32_t yr) const {
  const TMask* mask = MaskOf(place.sp_image);
  return mask && mask->CollisionLine(place.sp_bbox, Pose(place), xl, yl, xr, yr);
}

} // namespace vl
