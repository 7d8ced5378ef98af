#pragma once
// The render device on OpenGL 3.3 core, the same on every context provider: the SDL game window
// and EGL without a display server (headless). Only the graphics floor's users and the program
// link this library.

#include "platform/Platform_Render.h"

#include <cstdint>
#include <memory>

namespace vl {

// Where an OpenGL 3.3 core context comes from.
class TGlContext {
public:
  virtual ~TGlContext() = default;
  virtual bool MakeCurrent() = 0;
  // Whether a window's default framebuffer receives presents; without one presenting shows nothing.
  virtual bool HasWindow() const = 0;
  // The default framebuffer's size in pixels.
  virtual void DrawableSize(int32_t& width, int32_t& height) = 0;
  virtual void SwapBuffers() = 0;
  virtual void SetSwapInterval(int32_t interval) = 0;
  virtual void WaitForRetrace() = 0;
};

// Null when the context cannot be made current or is not OpenGL 3.3 core.
std::unique_ptr<TRenderDevice> CreateGlDevice(std::unique_ptr<TGlContext> context,
                                              const RDeviceRequest& request);

// Devices on EGL's surfaceless platform (Mesa). When no OpenGL 3.3 core context can be had, one
// line on standard error says so and the null device stands in, so that the game still runs.
std::unique_ptr<TRenderFactory> CreateEglRenderFactory();

} // namespace vl
