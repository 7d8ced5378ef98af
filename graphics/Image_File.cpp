#include "graphics/Image_File.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace vl {

namespace {

bool StartsWith(const uint8_t* bytes, size_t size, std::initializer_list<uint8_t> magic) {
  return size >= magic.size() && std::equal(magic.begin(), magic.end(), bytes);
}

constexpr int64_t kMaxGifImages = 1 << 16;

bool Fits(int64_t w, int64_t h, int64_t limit) {
  return w > 0 && h > 0 && w <= limit / h;
}

std::unique_ptr<TBitmap32> DecodePng(const uint8_t* bytes, size_t size, int64_t limit) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes, size)) return nullptr;
  if (!Fits(image.width, image.height, limit)) {
    png_image_free(&image);
    return nullptr;
  }
  image.format = PNG_FORMAT_BGRA; // bytes blue, green, red, alpha: 0xAARRGGBB in memory
  auto bmp = std::make_unique<TBitmap32>(int32_t(image.width), int32_t(image.height));
  if (!png_image_finish_read(&image, nullptr, bmp->s_data.data(), 0, nullptr)) {
    png_image_free(&image);
    return nullptr;
  }
  return bmp;
}

// libjpeg reports errors by calling error_exit, which must not return: it jumps back here.
struct RJpegError {
  jpeg_error_mgr je_base;
  std::jmp_buf je_jump;
};

void JpegFail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<RJpegError*>(info->err)->je_jump, 1);
}

void JpegQuiet(j_common_ptr, int) {}

std::unique_ptr<TBitmap32> DecodeJpeg(const uint8_t* bytes, size_t size, int64_t limit) {
  jpeg_decompress_struct info{};
  RJpegError error{};
  info.err = jpeg_std_error(&error.je_base);
  error.je_base.error_exit = JpegFail;
  error.je_base.emit_message = JpegQuiet;
  // Nothing with a destructor lives between setjmp and the jumps to it.
  TBitmap32* volatile bmp = nullptr;
  if (setjmp(error.je_jump)) {
    delete bmp;
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGRA;
  if (!Fits(info.image_width, info.image_height, limit)) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  jpeg_start_decompress(&info);
  bmp = new TBitmap32(int32_t(info.output_width), int32_t(info.output_height));
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(bmp->Row(int32_t(info.output_scanline)));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::unique_ptr<TBitmap32> result(bmp);
  result->OpaqueWhenNoAlpha();
  return result;
}

struct RGifSource {
  const uint8_t* gs_bytes;
  size_t gs_size;
  size_t gs_pos;
};

int GifRead(GifFileType* gif, GifByteType* dst, int count) {
  auto* src = static_cast<RGifSource*>(gif->UserData);
  const size_t n = std::min(size_t(std::max(count, 0)), src->gs_size - src->gs_pos);
  std::memcpy(dst, src->gs_bytes + src->gs_pos, n);
  src->gs_pos += n;
  return int(n);
}

struct RGifCloser {
  void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};

// Reads every image of a GIF in turn, drawing it on the canvas and handing the canvas to `frame`.
// With `first_only` it stops after the first image.
template <typename Frame>
bool ReadGif(const uint8_t* bytes, size_t size, int64_t limit, uint32_t canvas_colour, bool first_only,
             Frame frame) {
  if (!StartsWith(bytes, size, {'G', 'I', 'F'})) return false;
  RGifSource source{bytes, size, 0};
  int error = 0;
  std::unique_ptr<GifFileType, RGifCloser> gif(DGifOpen(&source, GifRead, &error));
  if (!gif) return false;
  const int32_t sw = std::max(gif->SWidth, 1), sh = std::max(gif->SHeight, 1);
  if (!Fits(sw, sh, limit)) return false;
  TBitmap32 canvas(sw, sh, canvas_colour);
  int64_t pixels = 0, images = 0;
  int transparent = NO_TRANSPARENT_COLOR, disposal = DISPOSAL_UNSPECIFIED;
  std::vector<GifPixelType> line;
  bool any = false;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) return any;
    if (type == TERMINATE_RECORD_TYPE) return any;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) return any;
      if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) {
        GraphicsControlBlock gcb;
        DGifExtensionToGCB(ext[0], ext + 1, &gcb);
        transparent = gcb.TransparentColor, disposal = gcb.DisposalMode;
      }
      while (ext)
        if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) return any;
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return any;
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (desc.Width <= 0 || desc.Height <= 0 || !Fits(desc.Width, desc.Height, limit)) return any;
    // The library keeps a record per image read, so tiny frames are counted as well as pixels.
    pixels += int64_t(sw) * sh;
    if (pixels > limit || ++images > kMaxGifImages) return any;
    line.resize(size_t(desc.Width));
    // Interlaced images arrive in four passes of rows.
    const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
      for (int r = desc.Interlace ? starts[pass] : 0; r < desc.Height;
           r += desc.Interlace ? steps[pass] : 1) {
        if (DGifGetLine(gif.get(), line.data(), desc.Width) == GIF_ERROR) return any;
        const int64_t y = int64_t(desc.Top) + r;
        if (y < 0 || y >= sh || !map) continue;
        for (int c = 0; c < desc.Width; ++c) {
          const int64_t x = int64_t(desc.Left) + c;
          const int index = line[size_t(c)];
          if (x < 0 || x >= sw || index == transparent || index >= map->ColorCount) continue;
          const GifColorType& col = map->Colors[index];
          canvas.Row(int32_t(y))[x] =
              0xFF000000u | uint32_t(col.Red) << 16 | uint32_t(col.Green) << 8 | col.Blue;
        }
      }
    }
    any = true;
    frame(canvas);
    if (first_only) return true;
    if (disposal != DISPOSE_DO_NOT) canvas.Fill(canvas_colour);
    transparent = NO_TRANSPARENT_COLOR, disposal = DISPOSAL_UNSPECIFIED;
  }
}

std::unique_ptr<TBitmap32> DecodeGif(const uint8_t* bytes, size_t size, int64_t limit) {
  std::unique_ptr<TBitmap32> result;
  ReadGif(bytes, size, limit, 0, true,
          [&](const TBitmap32& canvas) { result = std::make_unique<TBitmap32>(canvas); });
  return result;
}

} // namespace

bool ReadFileBytes(const std::string& fname, std::vector<uint8_t>& bytes) {
  std::ifstream in(fname, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

std::unique_ptr<TBitmap32> DecodeImage(const uint8_t* bytes, size_t size, int64_t limit) {
  std::unique_ptr<TBitmap32> bmp;
  if (StartsWith(bytes, size, {0x89, 'P', 'N', 'G'}))
    bmp = DecodePng(bytes, size, limit);
  else if (StartsWith(bytes, size, {0xFF, 0xD8}))
    bmp = DecodeJpeg(bytes, size, limit);
  else if (StartsWith(bytes, size, {'G', 'I', 'F'}))
    bmp = DecodeGif(bytes, size, limit);
  else if (StartsWith(bytes, size, {'B', 'M'})) {
    bmp = BitmapFromBmp(bytes, size);
    if (bmp && !Fits(bmp->s_w, bmp->s_h, limit)) bmp.reset();
    if (bmp) bmp->OpaqueWhenNoAlpha();
  }
  return bmp;
}

std::unique_ptr<TBitmap32> LoadImageFile(const std::string& fname) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(fname, bytes)) return nullptr;
  return DecodeImage(bytes.data(), bytes.size());
}

bool DecodeGifFrames(const uint8_t* bytes, size_t size, std::vector<TBitmap32>& frames, int64_t limit) {
  frames.clear();
  return ReadGif(bytes, size, limit, kGifCanvas, false,
                 [&](const TBitmap32& canvas) { frames.push_back(canvas); });
}

} // namespace vl
