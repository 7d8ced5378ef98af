#pragma once
// CBackground: a single image, and the background table.

#include "data/Image_Table.h"
#include "graphics/BM32_Bitmap.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vl {

class CStream;

class CBackground {
public:
  static constexpr int32_t kVersion = 710;

  CBackground() = default;
  CBackground(const CBackground&) = delete;
  CBackground& operator=(const CBackground&) = delete;
  ~CBackground() { FreeTexture(); }

  void Clear();
  // A copy of back's bitmap with a texture of its own; assigning a background to itself changes nothing.
  void Assign(const CBackground& back);

  // The game-data record; false only on a wrong version.
  bool LoadFromStream(CStream& s);
  void SaveToStream(CStream& s) const;
  // Any image file, prepared as selected; false when missing or unreadable.
  bool LoadFromFile(const std::string& fname, bool removeback, bool smooth);
  // A background file; false when missing, unreadable or not of this format and version.
  bool LoadFromBackgroundFile(const std::string& fname);
  // The bytes of a background file.
  bool LoadFromBackgroundStream(CStream& file);

  // removeback as for CSprite::CreateFromBitmap.
  void CreateFromBitmap(const TBitmap32& bbb, int32_t removeback, bool smooth);
  // w x h of col (0x00BBGGRR), opaque.
  void CreateColor(int32_t w, int32_t h, uint32_t col);
  void CreateGradient(int32_t w, int32_t h, uint32_t col1, uint32_t col2, int32_t kind);
  // Alpha from the brightness of back's pixels, over the overlapping part.
  void SetAlphaFromBackground(const CBackground& back);

  void InitTexture();
  void FreeTexture();
  int32_t GetTexture() const { return i_tex; }
  std::unique_ptr<TBitmap32> GetBitmap() const { return std::make_unique<TBitmap32>(i_bitmap); }
  int32_t GetWidth() const { return i_bitmap.s_w; }
  int32_t GetHeight() const { return i_bitmap.s_h; }

  TBitmap32 i_bitmap;
  int32_t i_tex = -1;
};

class CBackgroundTable : public CImageTable<CBackground> {
public:
  CBackgroundTable() : CImageTable({.rk_newname = "__newbackground"}) {}
};

CBackgroundTable& Backgrounds();

} // namespace vl
