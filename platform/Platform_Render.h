#pragma once
// The render device: the operations the drawing code needs from a 3D device, one device per
// process. Coordinates follow the drawing code's conventions: pixel centres at integers, y down,
// row 0 of every image and read-back on top, matrices as row vectors (a point is p·W·V·P), depth
// 0..1. The OpenGL backend translates; the null device draws nothing.

#include "platform/Platform_Windows.h"

#include <cstdint>
#include <memory>

namespace vl {

// One vertex of every primitive. Colours are 0xAARRGGBB; the normal serves lighting only.
struct RVertex {
  float x = 0, y = 0, z = 0;
  float nx = 0, ny = 0, nz = 0;
  uint32_t colour = 0xFFFFFFFF;
  float u = 0, v = 0;
};

enum class TPrimitive { PointList, LineList, LineStrip, TriangleList, TriangleStrip, TriangleFan };
enum class TTransform { World, View, Projection };

// Blend factors in the drawing code's numbering (1 zero .. 11 source alpha saturated).
enum TBlendFactor : int32_t {
  kBlendZero = 1,
  kBlendOne,
  kBlendSrcColour,
  kBlendInvSrcColour,
  kBlendSrcAlpha,
  kBlendInvSrcAlpha,
  kBlendDestAlpha,
  kBlendInvDestAlpha,
  kBlendDestColour,
  kBlendInvDestColour,
  kBlendSrcAlphaSat,
};

// Everything a draw depends on besides its texture and transforms.
struct RDeviceStates {
  bool ds_linear = true;   // texture filtering; nearest point when false
  bool ds_modulate = true; // texture × vertex colour; the texture alone when false
  bool ds_repeat = false;  // texture addressing wraps; clamps when false
  int32_t ds_blendsrc = kBlendSrcAlpha, ds_blenddest = kBlendInvSrcAlpha;
  bool ds_depthtest = false; // with depth writes
  bool ds_alphatest = false; // drops pixels whose alpha is 0
  bool ds_culling = false;   // removes counter-clockwise triangles
  bool ds_gouraud = true;    // flat shading takes the first vertex's colour
  bool operator==(const RDeviceStates&) const = default;
};

// A texture handle; 0 is none.
using TTextureHandle = uint32_t;

struct RDeviceStats {
  int64_t st_drawcalls = 0; // since the device was made
};

class TRenderDevice {
public:
  virtual ~TRenderDevice() = default;

  // The back buffer that the drawing goes to when no texture is the target; its content is lost.
  virtual bool SetBackBuffer(int32_t width, int32_t height) = 0;
  // Rebuilds the back buffer with that many samples per pixel (0: none); render targets are gone.
  virtual bool Reset(int32_t samples) = 0;
  virtual bool MultisampleSupported(int32_t samples) = 0;

  // Clears the viewport to colour, and the depth buffer to 1 when depth is set.
  virtual void Clear(uint32_t colour, bool depth) = 0;
  virtual void SetViewport(const RRect& viewport) = 0;
  virtual void SetTransform(TTransform which, const float matrix[16]) = 0;
  virtual void SetStates(const RDeviceStates& states) = 0;
  // The texture of stage 0; 0 draws the vertex colours alone.
  virtual void SetTexture(TTextureHandle texture) = 0;
  virtual void Draw(TPrimitive primitive, const RVertex* vertices, int32_t count) = 0;

  // The size the device gives for a requested texture size.
  virtual void TextureRequirements(int32_t& width, int32_t& height) = 0;
  // 0 when it cannot be made. A render target can become the drawing target.
  virtual TTextureHandle CreateTexture(int32_t width, int32_t height, bool renderTarget) = 0;
  // Loads w × h pixels 0xAARRGGBB (rows from the top) into the rectangle at (x, y), unfiltered.
  virtual bool LoadTexture(TTextureHandle texture, int32_t x, int32_t y, int32_t w, int32_t h,
                           const uint32_t* pixels) = 0;
  virtual void FreeTexture(TTextureHandle texture) = 0;
  // Drawing goes to the render target, or to the back buffer for 0.
  virtual bool SetTarget(TTextureHandle target) = 0;

  // Copies a rectangle of the back buffer (already within it) into pixels 0xAARRGGBB, rows from
  // the top; false when it cannot be read.
  virtual bool ReadBack(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t* pixels) = 0;
  // Shows the source rectangle of the back buffer scaled into the destination rectangle of the
  // window's client area (clientw × clienth), the rest of the client area in colour (0x00BBGGRR).
  virtual bool Present(const RRect& source, const RRect& destination, int32_t clientw, int32_t clienth,
                       uint32_t colour) = 0;
  // Whether presenting waits for the vertical retrace.
  virtual void SetSynchronization(bool wait) = 0;
  virtual void WaitForRetrace() = 0;

  // Batching (on by default) can be switched off to measure what it gains.
  virtual void SetBatching(bool on) = 0;
  virtual RDeviceStats Stats() const = 0;
};

// Draws nothing and reads nothing back; textures are handed out with power-of-two sizes.
std::unique_ptr<TRenderDevice> CreateNullDevice();

// What a device is asked to be made with: the depth buffer's bits (24 comes with 8 of stencil).
struct RDeviceRequest {
  int32_t dr_depthbits = 24;
};

class TRenderFactory {
public:
  virtual ~TRenderFactory() = default;
  // A device presenting into the game window (none for a device without a window); null when none
  // can be made, with a code for the message in error.
  virtual std::unique_ptr<TRenderDevice> CreateDevice(TGameWindow* window, const RDeviceRequest& request,
                                                      int32_t& error) = 0;
};

} // namespace vl
