#include "graphics/Graphics_Texture.h"

#include <algorithm>

namespace vl {

namespace {

// Never destroyed: records freed at exit still return their textures to it.
CRecordingTexturePool& RecordingPool() {
  static CRecordingTexturePool& pool = *new CRecordingTexturePool;
  return pool;
}

CTexturePool* Installed = nullptr;

} // namespace

int32_t CRecordingTexturePool::CreateTexture(int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) return -1;
  auto free =
      std::find_if(tp_textures.begin(), tp_textures.end(), [](const RTextureSize& t) { return !t.ts_live; });
  if (free == tp_textures.end()) free = tp_textures.insert(tp_textures.end(), RTextureSize());
  *free = {w, h, true};
  return int32_t(free - tp_textures.begin());
}

bool CRecordingTexturePool::FillTexture(int32_t id, const TBitmap32& bmp) {
  const RTextureSize* size = Size(id);
  return size && size->ts_w == bmp.s_w && size->ts_h == bmp.s_h;
}

void CRecordingTexturePool::FreeTexture(int32_t id) {
  if (Size(id)) tp_textures[size_t(id)].ts_live = false;
}

int32_t CRecordingTexturePool::Live() const {
  return int32_t(
      std::count_if(tp_textures.begin(), tp_textures.end(), [](const RTextureSize& t) { return t.ts_live; }));
}

const CRecordingTexturePool::RTextureSize* CRecordingTexturePool::Size(int32_t id) const {
  if (id < 0 || id >= int32_t(tp_textures.size()) || !tp_textures[size_t(id)].ts_live) return nullptr;
  return &tp_textures[size_t(id)];
}

CTexturePool& TexturePool() {
  return Installed ? *Installed : RecordingPool();
}

void SetTexturePool(CTexturePool* pool) {
  Installed = pool;
}

} // namespace vl
