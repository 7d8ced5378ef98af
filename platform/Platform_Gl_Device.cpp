// The render device on OpenGL 3.3 core. The back buffer and every render target are framebuffer
// objects; presenting is one blit into the window. One shader does the fixed-function work, and
// triangle lists with the same texture and states are batched into one draw from a streaming
// vertex buffer.
#include "platform/Platform_Gl.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace vl {

namespace {

// The y flip makes framebuffer row 0 the top row, so read-backs and textures keep rows from the
// top; the half-pixel shift puts pixel centres on integer coordinates; depth 0..1 maps onto -1..1.
constexpr const char* kVertexShader = R"(
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec3 a_normal;
layout(location = 2) in vec4 a_colour;
layout(location = 3) in vec2 a_uv;
uniform mat4 u_world, u_view, u_projection;
uniform vec2 u_pixel;
out vec4 v_colour;
flat out vec4 v_flatcolour;
out vec2 v_uv;
void main() {
  vec4 p = u_projection * (u_view * (u_world * vec4(a_position, 1.0)));
  p.z = 2.0 * p.z - p.w;
  p.y = -p.y;
  p.xy += u_pixel * p.w;
  gl_Position = p;
  gl_PointSize = 1.0;
  v_colour = a_colour;
  v_flatcolour = a_colour;
  v_uv = a_uv;
}
)";

// One program per combination of the switches below: the software rasterizer runs every branch of
// a shader, so each combination gets only its own work.
constexpr const char* kFragmentShader = R"(
in vec4 v_colour;
flat in vec4 v_flatcolour;
in vec2 v_uv;
uniform sampler2D u_texture;
out vec4 o_colour;
void main() {
#if GOURAUD
  vec4 colour = v_colour;
#else
  vec4 colour = v_flatcolour;
#endif
#if TEXMODE == 1
  colour *= texture(u_texture, v_uv);
#elif TEXMODE == 2
  colour = texture(u_texture, v_uv);
#endif
#if ALPHATEST
  if (round(colour.a * 255.0) == 0.0) discard;
#endif
  o_colour = colour;
}
)";

// The switches of a program: the texture mode (0 none, 1 texture × colour, 2 texture alone),
// the alpha test and Gouraud shading.
constexpr int32_t kPrograms = 12;

int32_t ProgramIndex(int32_t texmode, bool alphatest, bool gouraud) {
  return texmode * 4 + (alphatest ? 2 : 0) + (gouraud ? 1 : 0);
}

constexpr std::array<float, 16> kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr GLsizeiptr kStreamBytes = 4 << 20;

GLenum BlendFactor(int32_t factor, bool destination) {
  switch (factor) {
  case kBlendZero: return GL_ZERO;
  case kBlendOne: return GL_ONE;
  case kBlendSrcColour: return GL_SRC_COLOR;
  case kBlendInvSrcColour: return GL_ONE_MINUS_SRC_COLOR;
  case kBlendSrcAlpha: return GL_SRC_ALPHA;
  case kBlendInvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
  case kBlendDestAlpha: return GL_DST_ALPHA;
  case kBlendInvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
  case kBlendDestColour: return GL_DST_COLOR;
  case kBlendInvDestColour: return GL_ONE_MINUS_DST_COLOR;
  case kBlendSrcAlphaSat: return destination ? GL_ONE : GL_SRC_ALPHA_SATURATE;
  default: return destination ? GL_ZERO : GL_ONE; // the device's own defaults
  }
}

GLenum PrimitiveMode(TPrimitive primitive) {
  switch (primitive) {
  case TPrimitive::PointList: return GL_POINTS;
  case TPrimitive::LineList: return GL_LINES;
  case TPrimitive::LineStrip: return GL_LINE_STRIP;
  case TPrimitive::TriangleList: return GL_TRIANGLES;
  case TPrimitive::TriangleStrip: return GL_TRIANGLE_STRIP;
  case TPrimitive::TriangleFan: return GL_TRIANGLE_FAN;
  }
  return GL_TRIANGLES;
}

GLuint CompileShader(GLenum kind, const std::string& defines, const char* body) {
  GLuint shader = glCreateShader(kind);
  const std::string head = "#version 330 core\n" + defines;
  const char* sources[] = {head.c_str(), body};
  glShaderSource(shader, 2, sources, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

struct RGlProgram {
  GLuint gp_program = 0;
  std::array<GLint, 3> gp_transforms{};
  GLint gp_pixel = -1;
  uint64_t gp_uniforms = ~uint64_t(0); // the uniform change it last received
};

struct RGlTexture {
  GLuint gt_texture = 0;
  GLuint gt_framebuffer = 0; // render targets only
  GLuint gt_depth = 0;
  int32_t gt_width = 0, gt_height = 0;
};

class TGlDevice final : public TRenderDevice {
public:
  TGlDevice(std::unique_ptr<TGlContext> context, const RDeviceRequest& request)
      : m_context(std::move(context)), m_depthbits(request.dr_depthbits) {
    m_transforms.fill(kIdentity);
  }

  ~TGlDevice() override {
    if (!m_context->MakeCurrent()) return;
    for (auto& [handle, texture] : m_textures) DeleteTexture(texture);
    DeleteBackBuffer();
    glDeleteSamplers(GLsizei(m_samplers.size()), m_samplers.data());
    glDeleteBuffers(1, &m_buffer);
    glDeleteVertexArrays(1, &m_vertexarray);
    for (const RGlProgram& program : m_programs) glDeleteProgram(program.gp_program);
  }

  // False when the context is not OpenGL 3.3 core or the shader does not build.
  bool Start() {
    if (!m_context->MakeCurrent()) return false;
    GLint major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    if (major * 10 + minor < 33) return false;
    if (!UseProgram(ProgramIndex(1, false, true))) return false;
    glGenVertexArrays(1, &m_vertexarray);
    glBindVertexArray(m_vertexarray);
    glGenBuffers(1, &m_buffer);
    glBindBuffer(GL_ARRAY_BUFFER, m_buffer);
    m_streambytes = kStreamBytes;
    glBufferData(GL_ARRAY_BUFFER, m_streambytes, nullptr, GL_STREAM_DRAW);
    const GLsizei stride = sizeof(RVertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(RVertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(RVertex, nx)));
    glEnableVertexAttribArray(2);
    // 0xAARRGGBB in memory is B, G, R, A.
    glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(RVertex, colour)));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(RVertex, u)));
    glGenSamplers(GLsizei(m_samplers.size()), m_samplers.data());
    for (size_t i = 0; i < m_samplers.size(); ++i) {
      const GLint wrap = (i & 1) ? GL_REPEAT : GL_CLAMP_TO_EDGE;
      const GLint filter = (i & 2) ? GL_LINEAR : GL_NEAREST;
      glSamplerParameteri(m_samplers[i], GL_TEXTURE_WRAP_S, wrap);
      glSamplerParameteri(m_samplers[i], GL_TEXTURE_WRAP_T, wrap);
      glSamplerParameteri(m_samplers[i], GL_TEXTURE_MIN_FILTER, filter);
      glSamplerParameteri(m_samplers[i], GL_TEXTURE_MAG_FILTER, filter);
    }
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m_maxtexture);
    glGetIntegerv(GL_MAX_SAMPLES, &m_maxsamples);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION); // flat shading takes the first vertex, as wanted
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glActiveTexture(GL_TEXTURE0);
    return SetBackBuffer(640, 480);
  }

  bool SetBackBuffer(int32_t width, int32_t height) override {
    Current();
    Flush();
    m_width = std::max(width, 1);
    m_height = std::max(height, 1);
    return BuildBackBuffer();
  }

  bool Reset(int32_t samples) override {
    Current();
    Flush();
    m_samples = samples;
    return BuildBackBuffer();
  }

  bool MultisampleSupported(int32_t samples) override { return samples >= 2 && samples <= m_maxsamples; }

  void Clear(uint32_t colour, bool depth) override {
    Current();
    Flush();
    glEnable(GL_SCISSOR_TEST);
    glScissor(m_viewport.x, m_viewport.y, m_viewport.w, m_viewport.h);
    // The back buffer has no alpha of its own: it reads as opaque.
    const float alpha = m_target ? float(colour >> 24) / 255.0f : 1.0f;
    glClearColor(float((colour >> 16) & 255) / 255.0f, float((colour >> 8) & 255) / 255.0f,
                 float(colour & 255) / 255.0f, alpha);
    GLbitfield mask = GL_COLOR_BUFFER_BIT;
    if (depth) {
      glDepthMask(GL_TRUE);
      glClearDepth(1.0);
      mask |= GL_DEPTH_BUFFER_BIT;
    }
    glClear(mask);
    glDisable(GL_SCISSOR_TEST);
    m_dirtystates = true; // the depth mask
  }

  void SetViewport(const RRect& viewport) override {
    Current();
    Flush();
    m_viewport = viewport;
    glViewport(viewport.x, viewport.y, viewport.w, viewport.h);
    ++m_uniforms; // the half-pixel shift
  }

  void SetTransform(TTransform which, const float matrix[16]) override {
    auto& slot = m_transforms[size_t(which)];
    if (std::memcmp(slot.data(), matrix, sizeof(float) * 16) == 0) return;
    Flush();
    std::memcpy(slot.data(), matrix, sizeof(float) * 16);
    ++m_uniforms;
  }

  void SetStates(const RDeviceStates& states) override {
    if (states == m_states) return;
    Flush();
    m_states = states;
    m_dirtystates = true;
  }

  void SetTexture(TTextureHandle texture) override {
    if (texture == m_texture) return;
    Flush();
    m_texture = texture;
    m_dirtytexture = true;
  }

  void Draw(TPrimitive primitive, const RVertex* vertices, int32_t count) override {
    if (count <= 0) return;
    if (m_batching && primitive == TPrimitive::TriangleList) {
      m_batch.insert(m_batch.end(), vertices, vertices + count);
      return;
    }
    Flush();
    Stream(PrimitiveMode(primitive), vertices, count);
  }

  void TextureRequirements(int32_t& width, int32_t& height) override {
    // Sizes are powers of two, as the drawing code's texture coordinates expect.
    auto fit = [this](int32_t n) {
      int32_t p = 1;
      while (p < n && p < m_maxtexture) p <<= 1;
      return p;
    };
    width = fit(width);
    height = fit(height);
  }

  TTextureHandle CreateTexture(int32_t width, int32_t height, bool renderTarget) override {
    Current();
    if (width < 1 || height < 1 || width > m_maxtexture || height > m_maxtexture) return 0;
    Flush();
    RGlTexture texture;
    texture.gt_width = width;
    texture.gt_height = height;
    glGenTextures(1, &texture.gt_texture);
    glBindTexture(GL_TEXTURE_2D, texture.gt_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    const std::vector<uint32_t> zero(size_t(width) * size_t(height), 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, zero.data());
    m_dirtytexture = true; // stage 0 now holds this texture
    if (renderTarget) {
      glGenRenderbuffers(1, &texture.gt_depth);
      glBindRenderbuffer(GL_RENDERBUFFER, texture.gt_depth);
      glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
      glGenFramebuffers(1, &texture.gt_framebuffer);
      glBindFramebuffer(GL_FRAMEBUFFER, texture.gt_framebuffer);
      glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.gt_texture, 0);
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                texture.gt_depth);
      const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
      BindTarget();
      if (!complete) {
        DeleteTexture(texture);
        return 0;
      }
    }
    const TTextureHandle handle = ++m_lasthandle;
    m_textures.emplace(handle, texture);
    return handle;
  }

  bool LoadTexture(TTextureHandle handle, int32_t x, int32_t y, int32_t w, int32_t h,
                   const uint32_t* pixels) override {
    auto it = m_textures.find(handle);
    if (it == m_textures.end() || !pixels || x < 0 || y < 0 || w < 1 || h < 1 ||
        x + w > it->second.gt_width || y + h > it->second.gt_height)
      return false;
    Current();
    Flush();
    glBindTexture(GL_TEXTURE_2D, it->second.gt_texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    m_dirtytexture = true;
    return true;
  }

  void FreeTexture(TTextureHandle handle) override {
    auto it = m_textures.find(handle);
    if (it == m_textures.end()) return;
    Current();
    Flush();
    if (m_texture == handle) m_texture = 0;
    if (m_target == handle) {
      m_target = 0;
      BindTarget();
    }
    DeleteTexture(it->second);
    m_textures.erase(it);
    m_dirtytexture = true;
  }

  bool SetTarget(TTextureHandle target) override {
    Current();
    if (target && !m_textures.count(target)) return false;
    if (target && !m_textures[target].gt_framebuffer) return false;
    Flush();
    m_target = target;
    m_dirtystates = true; // blending differs between the back buffer and targets
    BindTarget();
    // As a new target does, the viewport covers all of it.
    if (target)
      SetViewport({0, 0, m_textures[target].gt_width, m_textures[target].gt_height});
    else
      SetViewport({0, 0, m_width, m_height});
    return true;
  }

  bool ReadBack(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t* pixels) override {
    if (x < 0 || y < 0 || w < 1 || h < 1 || x + w > m_width || y + h > m_height) return false;
    Current();
    Flush();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, Resolved());
    glReadPixels(x, y, w, h, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    BindTarget();
    return glGetError() == GL_NO_ERROR;
  }

  bool Present(const RRect& source, const RRect& destination, int32_t clientw, int32_t clienth,
               uint32_t colour) override {
    Current();
    Flush();
    if (!m_context->HasWindow()) return true;
    int32_t dw = 0, dh = 0;
    m_context->DrawableSize(dw, dh);
    if (dw < 1 || dh < 1 || clientw < 1 || clienth < 1) return true;
    // The drawable may have more pixels than the client area (high-density screens).
    const double sx = double(dw) / clientw, sy = double(dh) / clienth;
    const int32_t x0 = int32_t(destination.x * sx), x1 = int32_t((destination.x + destination.w) * sx);
    const int32_t top = int32_t(destination.y * sy), bottom = int32_t((destination.y + destination.h) * sy);
    const GLuint from = Resolved();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClearColor(float(colour & 255) / 255.0f, float((colour >> 8) & 255) / 255.0f,
                 float((colour >> 16) & 255) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // The window's rows run from the bottom: the destination is flipped once here.
    const bool whole = (x1 - x0) % std::max(source.w, 1) == 0 && (bottom - top) % std::max(source.h, 1) == 0;
    glBlitFramebuffer(source.x, source.y, source.x + source.w, source.y + source.h, x0, dh - top, x1,
                      dh - bottom, GL_COLOR_BUFFER_BIT, whole ? GL_NEAREST : GL_LINEAR);
    m_context->SwapBuffers();
    BindTarget();
    return glGetError() == GL_NO_ERROR;
  }

  void SetSynchronization(bool wait) override {
    Current();
    m_context->SetSwapInterval(wait ? 1 : 0);
  }
  void WaitForRetrace() override { m_context->WaitForRetrace(); }

  void SetBatching(bool on) override {
    Flush();
    m_batching = on;
  }
  RDeviceStats Stats() const override { return m_stats; }

private:
  // Makes the program current, building it on first use; false when it does not build.
  bool UseProgram(int32_t index) {
    RGlProgram& program = m_programs[size_t(index)];
    if (!program.gp_program) {
      const std::string defines = "#define TEXMODE " + std::to_string(index / 4) + "\n#define ALPHATEST " +
                                  std::to_string(index / 2 % 2) + "\n#define GOURAUD " +
                                  std::to_string(index % 2) + "\n";
      const GLuint vertex = CompileShader(GL_VERTEX_SHADER, defines, kVertexShader);
      const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, defines, kFragmentShader);
      if (!vertex || !fragment) return false;
      program.gp_program = glCreateProgram();
      glAttachShader(program.gp_program, vertex);
      glAttachShader(program.gp_program, fragment);
      glLinkProgram(program.gp_program);
      glDeleteShader(vertex);
      glDeleteShader(fragment);
      GLint ok = GL_FALSE;
      glGetProgramiv(program.gp_program, GL_LINK_STATUS, &ok);
      if (!ok) return false;
      glUseProgram(program.gp_program);
      glUniform1i(glGetUniformLocation(program.gp_program, "u_texture"), 0);
      const char* names[] = {"u_world", "u_view", "u_projection"};
      for (size_t i = 0; i < 3; ++i)
        program.gp_transforms[i] = glGetUniformLocation(program.gp_program, names[i]);
      program.gp_pixel = glGetUniformLocation(program.gp_program, "u_pixel");
    }
    if (m_program != &program) glUseProgram(program.gp_program);
    m_program = &program;
    return true;
  }

  // Other windows of the program may take the thread's current context away (destroying a window
  // does); every entry that reaches OpenGL takes it back, which costs nothing when it is current.
  void Current() { m_context->MakeCurrent(); }

  void DeleteTexture(RGlTexture& texture) {
    if (texture.gt_framebuffer) glDeleteFramebuffers(1, &texture.gt_framebuffer);
    if (texture.gt_depth) glDeleteRenderbuffers(1, &texture.gt_depth);
    glDeleteTextures(1, &texture.gt_texture);
  }

  void DeleteBackBuffer() {
    glDeleteFramebuffers(1, &m_backbuffer);
    glDeleteFramebuffers(1, &m_resolve);
    const GLuint buffers[] = {m_backcolour, m_backdepth, m_resolvecolour};
    glDeleteRenderbuffers(3, buffers);
    m_backbuffer = m_resolve = m_backcolour = m_backdepth = m_resolvecolour = 0;
  }

  GLuint Storage(int32_t samples, GLenum format) {
    GLuint buffer = 0;
    glGenRenderbuffers(1, &buffer);
    glBindRenderbuffer(GL_RENDERBUFFER, buffer);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, m_width, m_height);
    return buffer;
  }

  bool BuildBackBuffer() {
    DeleteBackBuffer();
    const int32_t samples = MultisampleSupported(m_samples) ? m_samples : 0;
    const GLenum depthFormat = m_depthbits >= 24 ? GL_DEPTH24_STENCIL8 : GL_DEPTH_COMPONENT16;
    const GLenum depthAttachment = m_depthbits >= 24 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
    m_backcolour = Storage(samples, GL_RGBA8);
    m_backdepth = Storage(samples, depthFormat);
    glGenFramebuffers(1, &m_backbuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_backbuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_backcolour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, depthAttachment, GL_RENDERBUFFER, m_backdepth);
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (samples) {
      // Presenting and reading back go through a single-sample copy.
      m_resolvecolour = Storage(0, GL_RGBA8);
      glGenFramebuffers(1, &m_resolve);
      glBindFramebuffer(GL_FRAMEBUFFER, m_resolve);
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_resolvecolour);
      complete = complete && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    m_target = 0;
    m_dirtystates = true;
    BindTarget();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SetViewport({0, 0, m_width, m_height});
    return complete;
  }

  // The framebuffer that holds the finished back buffer: the multisample one resolved.
  GLuint Resolved() {
    if (!m_resolve) return m_backbuffer;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_backbuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_resolve);
    glBlitFramebuffer(0, 0, m_width, m_height, 0, 0, m_width, m_height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return m_resolve;
  }

  void BindTarget() {
    glBindFramebuffer(GL_FRAMEBUFFER, m_target ? m_textures[m_target].gt_framebuffer : m_backbuffer);
  }

  // Sets only what changed since the last draw: the software rasterizer validates every change.
  void Apply() {
    if (m_dirtytexture || m_dirtystates) {
      auto it = m_textures.find(m_texture);
      const bool textured = it != m_textures.end();
      const int32_t texmode = textured ? (m_states.ds_modulate ? 1 : 2) : 0;
      if (!UseProgram(ProgramIndex(texmode, m_states.ds_alphatest, m_states.ds_gouraud))) return;
      if (m_dirtytexture) glBindTexture(GL_TEXTURE_2D, textured ? it->second.gt_texture : 0);
      if (m_dirtystates) ApplyStates();
      m_dirtytexture = m_dirtystates = false;
    }
    if (m_program && m_program->gp_uniforms != m_uniforms) {
      m_program->gp_uniforms = m_uniforms;
      for (size_t i = 0; i < 3; ++i)
        glUniformMatrix4fv(m_program->gp_transforms[i], 1, GL_FALSE, m_transforms[i].data());
      glUniform2f(m_program->gp_pixel, 1.0f / float(std::max(m_viewport.w, 1)),
                  1.0f / float(std::max(m_viewport.h, 1)));
    }
  }

  void ApplyStates() {
    glBindSampler(0, m_samplers[(m_states.ds_repeat ? 1 : 0) + (m_states.ds_linear ? 2 : 0)]);
    const GLenum src = BlendFactor(m_states.ds_blendsrc, false),
                 dest = BlendFactor(m_states.ds_blenddest, true);
    // The back buffer keeps its alpha at 1, so destination alpha reads as opaque; targets blend
    // alpha with the colour factors.
    if (m_target)
      glBlendFunc(src, dest);
    else
      glBlendFuncSeparate(src, dest, GL_ZERO, GL_ONE);
    if (m_states.ds_depthtest) {
      glEnable(GL_DEPTH_TEST);
      glDepthFunc(GL_LEQUAL);
      glDepthMask(GL_TRUE);
    } else {
      glDisable(GL_DEPTH_TEST);
    }
    if (m_states.ds_culling)
      glEnable(GL_CULL_FACE);
    else
      glDisable(GL_CULL_FACE);
  }

  void Flush() {
    if (m_batch.empty()) return;
    Stream(GL_TRIANGLES, m_batch.data(), int32_t(m_batch.size()));
    m_batch.clear();
  }

  void Stream(GLenum mode, const RVertex* vertices, int32_t count) {
    Current();
    Apply();
    const GLsizeiptr bytes = GLsizeiptr(count) * GLsizeiptr(sizeof(RVertex));
    if (bytes > m_streambytes) m_streambytes = bytes;
    if (m_streamat + bytes > m_streambytes) {
      // Orphaning: the driver keeps the old storage for draws in flight.
      glBufferData(GL_ARRAY_BUFFER, m_streambytes, nullptr, GL_STREAM_DRAW);
      m_streamat = 0;
    }
    glBufferSubData(GL_ARRAY_BUFFER, m_streamat, bytes, vertices);
    glDrawArrays(mode, GLint(m_streamat / GLsizeiptr(sizeof(RVertex))), count);
    m_streamat += bytes;
    ++m_stats.st_drawcalls;
  }

  std::unique_ptr<TGlContext> m_context;
  int32_t m_depthbits;
  std::array<RGlProgram, kPrograms> m_programs{};
  RGlProgram* m_program = nullptr; // the current one
  GLuint m_vertexarray = 0, m_buffer = 0;
  std::array<GLuint, 4> m_samplers{}; // {clamp, repeat} × {nearest, linear}
  GLint m_maxtexture = 2048, m_maxsamples = 0;
  GLsizeiptr m_streambytes = 0, m_streamat = 0;

  int32_t m_width = 0, m_height = 0, m_samples = 0;
  GLuint m_backbuffer = 0, m_backcolour = 0, m_backdepth = 0, m_resolve = 0, m_resolvecolour = 0;

  std::unordered_map<TTextureHandle, RGlTexture> m_textures;
  TTextureHandle m_lasthandle = 0;
  TTextureHandle m_texture = 0, m_target = 0;
  RRect m_viewport;
  RDeviceStates m_states;
  std::array<std::array<float, 16>, 3> m_transforms;
  bool m_dirtytexture = true, m_dirtystates = true;
  uint64_t m_uniforms = 0; // counts changes of the transforms and the viewport

  bool m_batching = true;
  std::vector<RVertex> m_batch;
  RDeviceStats m_stats;
};

} // namespace

std::unique_ptr<TRenderDevice> CreateGlDevice(std::unique_ptr<TGlContext> context,
                                              const RDeviceRequest& request) {
  if (!context) return nullptr;
  auto device = std::make_unique<TGlDevice>(std::move(context), request);
  if (!device->Start()) return nullptr;
  return device;
}

} // namespace vl
