#pragma once
// The services the mixer and the fonts are built on. Each backend provides them; the sound and
// text code above stays the same on every backend.

#include <cstdint>
#include <memory>
#include <string>

namespace vl {

struct RAudioFormat {
  int32_t af_rate = 44100;
  int32_t af_channels = 2;
};

// What the device pulls: interleaved float frames.
class TAudioSource {
public:
  virtual ~TAudioSource() = default;
  virtual void Fill(float* frames, int32_t count) = 0;
};

class TAudioOutput {
public:
  virtual ~TAudioOutput() = default;
  // Starts pulling from source (which must outlive Close); false when no device could be opened.
  virtual bool Open(const RAudioFormat& format, TAudioSource& source) = 0;
  virtual void Close() = 0;
};

struct RFontRequest {
  std::string fr_name;
  int32_t fr_size = 12; // points
  bool fr_bold = false, fr_italic = false;
};

// A grey-level glyph image, rows from the top, one byte per pixel.
struct RGlyph {
  int32_t gl_width = 0, gl_height = 0;
  int32_t gl_left = 0, gl_top = 0; // offset of the image from the pen position
  int32_t gl_advance = 0;
  std::unique_ptr<uint8_t[]> gl_pixels;
};

class TFontFace {
public:
  virtual ~TFontFace() = default;
  // False when the face has no glyph for the code point.
  virtual bool Glyph(uint32_t codepoint, RGlyph& glyph) = 0;
};

class TFontRasterizer {
public:
  virtual ~TFontRasterizer() = default;
  virtual std::unique_ptr<TFontFace> OpenFont(const RFontRequest& request) = 0;
};

} // namespace vl
