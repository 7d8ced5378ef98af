#pragma once
// A render device that records what the graphics code asks of it, and a factory that hands it
// out (or fails a given number of times first).

#include "platform/Platform_Render.h"

#include <string>
#include <vector>

namespace vl::test {

struct RLoad {
  TTextureHandle ld_texture = 0;
  int32_t ld_x = 0, ld_y = 0, ld_w = 0, ld_h = 0;
  std::vector<uint32_t> ld_pixels;
};

// What the recording device saw; it outlives the device.
struct RDeviceLog {
  std::vector<std::string> calls; // viewport, transform, reset, free, ... in order
  std::vector<RLoad> loads;
  std::vector<RDeviceStates> states;
  std::vector<RRect> reads;
  int32_t resetsToFail = 0;
};

class TRecordingDevice final : public TRenderDevice {
public:
  explicit TRecordingDevice(RDeviceLog& log) : m_log(log) {}
  bool SetBackBuffer(int32_t w, int32_t h) override {
    return Note("backbuffer " + std::to_string(w) + "x" + std::to_string(h));
  }
  bool Reset(int32_t samples) override {
    Note("reset " + std::to_string(samples));
    return m_log.resetsToFail-- <= 0;
  }
  bool MultisampleSupported(int32_t samples) override { return samples <= 4; }
  void Clear(uint32_t, bool depth) override { Note(depth ? "clear+depth" : "clear"); }
  void SetViewport(const RRect& r) override {
    Note("viewport " + std::to_string(r.w) + "x" + std::to_string(r.h));
  }
  void SetTransform(TTransform, const float[16]) override { Note("transform"); }
  void SetStates(const RDeviceStates& states) override { m_log.states.push_back(states); }
  void SetTexture(TTextureHandle) override {}
  void Draw(TPrimitive, const RVertex*, int32_t) override {}
  void TextureRequirements(int32_t& w, int32_t& h) override {
    auto fit = [](int32_t n) {
      int32_t p = 1;
      while (p < n) p <<= 1;
      return p;
    };
    w = fit(w);
    h = fit(h);
  }
  TTextureHandle CreateTexture(int32_t, int32_t, bool) override { return ++m_last; }
  bool LoadTexture(TTextureHandle t, int32_t x, int32_t y, int32_t w, int32_t h,
                   const uint32_t* px) override {
    m_log.loads.push_back({t, x, y, w, h, std::vector<uint32_t>(px, px + size_t(w) * size_t(h))});
    return true;
  }
  void FreeTexture(TTextureHandle t) override { Note("free " + std::to_string(t)); }
  bool SetTarget(TTextureHandle) override { return true; }
  bool ReadBack(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t* px) override {
    m_log.reads.push_back({x, y, w, h});
    std::fill(px, px + size_t(w) * size_t(h), 0xFF102030u);
    return true;
  }
  bool Present(const RRect&, const RRect&, int32_t, int32_t, uint32_t) override { return Note("present"); }
  void SetSynchronization(bool) override {}
  void WaitForRetrace() override {}
  void SetBatching(bool) override {}
  RDeviceStats Stats() const override { return {}; }

private:
  bool Note(const std::string& call) {
    m_log.calls.push_back(call);
    return true;
  }
  RDeviceLog& m_log;
  TTextureHandle m_last = 0;
};

class TRecordingFactory final : public TRenderFactory {
public:
  explicit TRecordingFactory(RDeviceLog& log, int32_t failures = 0) : m_log(log), m_failures(failures) {}
  std::unique_ptr<TRenderDevice> CreateDevice(TGameWindow*, const RDeviceRequest& request,
                                              int32_t& error) override {
    depthBits.push_back(request.dr_depthbits);
    if (m_failures-- > 0) return error = 7, nullptr;
    return std::make_unique<TRecordingDevice>(m_log);
  }
  std::vector<int32_t> depthBits;

private:
  RDeviceLog& m_log;
  int32_t m_failures;
};

} // namespace vl::test
