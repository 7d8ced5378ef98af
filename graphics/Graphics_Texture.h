#pragma once
// The texture pool that sprite, background and font records make their textures in. The render
// device provides the real one; until it is installed, a pool that only hands out ids and keeps
// each texture's size stands in.

#include "graphics/BM32_Bitmap.h"

#include <cstdint>
#include <vector>

namespace vl {

class CTexturePool {
public:
  virtual ~CTexturePool() = default;
  // A new texture of w x h pixels, or -1 when none can be made.
  virtual int32_t CreateTexture(int32_t w, int32_t h) = 0;
  // Fills texture id with the bitmap's pixels; false when it cannot.
  virtual bool FillTexture(int32_t id, const TBitmap32& bmp) = 0;
  virtual void PreloadTexture(int32_t id) = 0;
  virtual void FreeTexture(int32_t id) = 0;
};

// Ids from the lowest free slot, freed slots reused; no pixels are kept.
class CRecordingTexturePool final : public CTexturePool {
public:
  struct RTextureSize {
    int32_t ts_w = 0;
    int32_t ts_h = 0;
    bool ts_live = false;
  };

  int32_t CreateTexture(int32_t w, int32_t h) override;
  bool FillTexture(int32_t id, const TBitmap32& bmp) override;
  void PreloadTexture(int32_t) override {}
  void FreeTexture(int32_t id) override;

  // The live textures.
  int32_t Live() const;
  // The size of a live texture; null for an id that names none.
  const RTextureSize* Size(int32_t id) const;

private:
  std::vector<RTextureSize> tp_textures;
};

// The installed pool, or the recording one.
CTexturePool& TexturePool();
// Null installs the recording pool.
void SetTexturePool(CTexturePool* pool);

} // namespace vl
