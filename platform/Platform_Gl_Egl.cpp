// OpenGL 3.3 core contexts without a window: EGL on Mesa's surfaceless platform.
#include "platform/Platform_Gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <cstdio>

namespace vl {

namespace {

class TEglContext final : public TGlContext {
public:
  TEglContext(EGLDisplay display, EGLContext context) : m_display(display), m_context(context) {}
  // The display stays initialized for the process: terminating it unloads the driver, which leaves
  // its own allocations behind.
  ~TEglContext() override {
    eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(m_display, m_context);
  }
  bool MakeCurrent() override {
    return eglGetCurrentContext() == m_context ||
           eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, m_context);
  }
  bool HasWindow() const override { return false; }
  void DrawableSize(int32_t& width, int32_t& height) override { width = height = 0; }
  void SwapBuffers() override {}
  void SetSwapInterval(int32_t) override {}
  void WaitForRetrace() override {}

private:
  EGLDisplay m_display;
  EGLContext m_context;
};

std::unique_ptr<TGlContext> CreateEglContext() {
  auto getDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getDisplay) return nullptr;
  EGLDisplay display = getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY) return nullptr;
  EGLint major = 0, minor = 0;
  if (!eglInitialize(display, &major, &minor)) return nullptr;
  const EGLint configWanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                                 EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configs = 0;
  if (!eglChooseConfig(display, configWanted, &config, 1, &configs) || configs < 1)
    config = EGL_NO_CONFIG_KHR; // surfaceless contexts need no configuration
  const EGLint contextWanted[] = {EGL_CONTEXT_MAJOR_VERSION,
                                  3,
                                  EGL_CONTEXT_MINOR_VERSION,
                                  3,
                                  EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                  EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                  EGL_NONE};
  EGLContext context = EGL_NO_CONTEXT;
  if (eglBindAPI(EGL_OPENGL_API)) context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextWanted);
  if (context == EGL_NO_CONTEXT) {
    eglTerminate(display);
    return nullptr;
  }
  return std::make_unique<TEglContext>(display, context);
}

class TEglRenderFactory final : public TRenderFactory {
public:
  std::unique_ptr<TRenderDevice> CreateDevice(TGameWindow*, const RDeviceRequest& request,
                                              int32_t&) override {
    std::unique_ptr<TRenderDevice> device;
    if (std::unique_ptr<TGlContext> context = CreateEglContext())
      device = CreateGlDevice(std::move(context), request);
    if (device) return device;
    std::fprintf(stderr, "vlrun: no OpenGL 3.3 core context through EGL; nothing is drawn\n");
    return CreateNullDevice();
  }
};

} // namespace

std::unique_ptr<TRenderFactory> CreateEglRenderFactory() {
  return std::make_unique<TEglRenderFactory>();
}

} // namespace vl
