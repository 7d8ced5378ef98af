// The null device: every operation succeeds and nothing is drawn, so game logic runs without any
// 3D driver.
#include "platform/Platform_Render.h"

namespace vl {

namespace {

int32_t PowerOfTwo(int32_t n) {
  int32_t p = 1;
  while (p < n && p < (1 << 30)) p <<= 1;
  return p;
}

class TNullDevice final : public TRenderDevice {
public:
  bool SetBackBuffer(int32_t, int32_t) override { return true; }
  bool Reset(int32_t) override { return true; }
  bool MultisampleSupported(int32_t) override { return false; }
  void Clear(uint32_t, bool) override {}
  void SetViewport(const RRect&) override {}
  void SetTransform(TTransform, const float[16]) override {}
  void SetStates(const RDeviceStates&) override {}
  void SetTexture(TTextureHandle) override {}
  void Draw(TPrimitive, const RVertex*, int32_t) override {}
  void TextureRequirements(int32_t& width, int32_t& height) override {
    width = PowerOfTwo(width);
    height = PowerOfTwo(height);
  }
  TTextureHandle CreateTexture(int32_t, int32_t, bool) override { return ++m_lasttexture; }
  bool LoadTexture(TTextureHandle, int32_t, int32_t, int32_t, int32_t, const uint32_t*) override {
    return true;
  }
  void FreeTexture(TTextureHandle) override {}
  bool SetTarget(TTextureHandle) override { return true; }
  bool ReadBack(int32_t, int32_t, int32_t, int32_t, uint32_t*) override { return false; }
  bool Present(const RRect&, const RRect&, int32_t, int32_t, uint32_t) override { return true; }
  void SetSynchronization(bool) override {}
  void WaitForRetrace() override {}
  void SetBatching(bool) override {}
  RDeviceStats Stats() const override { return {}; }

private:
  TTextureHandle m_lasttexture = 0;
};

} // namespace

std::unique_ptr<TRenderDevice> CreateNullDevice() {
  return std::make_unique<TNullDevice>();
}

} // namespace vl
