#pragma once
// CSprite: an animated image with an origin and collision masks, and the sprite table.

#include "data/Image_Table.h"
#include "graphics/BM32_Bitmap.h"
#include "graphics/Sprite_Mask.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vl {

class CStream;

// Where a sprite frame lies in the room for a collision test.
struct RSpritePlace {
  int32_t sp_image = 0; // any integer: taken modulo the frame count
  RBox sp_bbox;         // the instance's bounding box in the room, inclusive
  int32_t sp_x = 0;
  int32_t sp_y = 0;
  double sp_xscale = 1;
  double sp_yscale = 1;
  double sp_angle = 0;
};

class CSprite {
public:
  static constexpr int32_t kVersion = 800;

  CSprite() = default;
  CSprite(const CSprite&) = delete;
  CSprite& operator=(const CSprite&) = delete;
  ~CSprite() { FreeTexture(); }

  // No frames, origin 0, the empty box, no masks and no textures.
  void Clear();
  // A deep copy of spr, then textures of its own; assigning a sprite to itself changes nothing.
  void Assign(const CSprite& spr);

  // The game-data record; false only on a wrong version.
  bool LoadFromStream(CStream& s);
  void SaveToStream(CStream& s) const;
  // An image file: a GIF gives all its frames, any other image a strip of imgnumb frames. False when
  // the file is missing or no readable image.
  bool LoadFromFile(const std::string& fname, int32_t imgnumb, bool removeback, bool smooth, int32_t xo,
                    int32_t yo);
  // A sprite file; false when missing, unreadable or not of this format and version.
  bool LoadFromSpriteFile(const std::string& fname);
  // The bytes of a sprite file.
  bool LoadFromSpriteStream(CStream& file);

  // One frame from a bitmap. removeback: 1 removes the background, -1 makes every pixel opaque, 2
  // keeps the alpha, anything else makes the bitmap opaque only when no pixel has alpha.
  void CreateFromBitmap(const TBitmap32& bbb, int32_t removeback, bool smooth, int32_t xo, int32_t yo);
  // Appends a frame scaled to frame 0 (unscaled when there is none).
  void AddFromBitmap(const TBitmap32& bbb, bool removeback, bool smooth);
  // Appends copies of spr's frames, each scaled to frame 0 (unscaled when there is none).
  void AddFromSprite(const CSprite& spr);
  // Alpha of every frame from the brightness of the matching frame of spr.
  void SetAlphaFromSprite(const CSprite& spr);

  void ComputeMask(bool sepmasks, int32_t bbmode, RBox bbox, int32_t kind, int32_t tolerance);
  void ComputeBoundingBox();
  void FreeMask();

  void InitTexture();
  void FreeTexture();
  // The texture of frame ind modulo the frame count; -1 without frames.
  int32_t GetTexture(int32_t ind) const;

  int32_t Count() const { return int32_t(i_bitmap.size()); }
  // Frame 0's size; 1 without frames.
  int32_t GetWidth() const;
  int32_t GetHeight() const;
  // A copy of frame ind; null when out of range.
  std::unique_ptr<TBitmap32> GetBitmap(int32_t ind) const;
  // The box of the visible pixels of frame ind; the empty box when out of range.
  RBox GetBoundingBoxImg(int32_t ind) const;
  // The mask that frame img collides with; null without frames.
  const TMask* MaskOf(int32_t img) const;

  // The mask tests with this sprite's origin; false without frames (of either sprite).
  bool CheckCollision(const RSpritePlace& mine, const CSprite* spr, const RSpritePlace& theirs) const;
  bool CheckCollisionPoint(const RSpritePlace& place, int32_t x, int32_t y) const;
  bool CheckCollisionRectangle(const RSpritePlace& place, const RBox& rr) const;
  bool CheckCollisionEllipse(const RSpritePlace& place, const RBox& rr) const;
  bool CheckCollisionLine(const RSpritePlace& place, int32_t xl, int32_t yl, int32_t xr, int32_t yr) const;

  std::vector<TBitmap32> i_bitmap;
  int32_t i_xorig = 0;
  int32_t i_yorig = 0;
  RBox i_bbox;
  std::vector<TMask> i_mask; // one per frame with separate masks, else one
  bool i_sepmasks = false;
  std::vector<int32_t> i_tex;

private:
  // Frames only, prepared as selected; false when unreadable.
  bool LoadStripFromFile(const std::string& fname, int32_t imgnumb, bool removeback, bool smooth);
  bool LoadGifFromFile(const std::string& fname, bool removeback, bool smooth);
  // Frame index modulo the frame count, negative remainders wrapping to the end.
  int32_t Wrap(int32_t ind) const;
  RMaskPose Pose(const RSpritePlace& place) const;
};

class CSpriteTable : public CImageTable<CSprite> {
public:
  CSpriteTable() : CImageTable({.rk_newname = "__newsprite"}) {}
};

CSpriteTable& Sprites();

} // namespace vl
