#pragma once
// Writes image files in memory for the tests of image loading: GIFs of one palette with frames at
// their places, transparent indices, disposals and interlacing; JPEGs of one colour.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <gif_lib.h>
#include <jpeglib.h>
#include <vector>

namespace vl::test {

struct RGifFrame {
  int left, top, width, height;
  std::vector<uint8_t> pixels; // colour indices, rows from the top
  int transparent = NO_TRANSPARENT_COLOR;
  int disposal = DISPOSAL_UNSPECIFIED;
  bool interlace = false;
};

inline int GifWrite(GifFileType* gif, const GifByteType* bytes, int count) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + count);
  return count;
}

// A GIF with the palette 0 black, 1 red, 2 green, 3 blue.
inline std::vector<uint8_t> WriteGif(int width, int height, const std::vector<RGifFrame>& frames) {
  std::vector<uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &error);
  const GifColorType colours[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  ColorMapObject* map = GifMakeMapObject(4, colours);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, width, height, 2, 0, map);
  for (const RGifFrame& f : frames) {
    GraphicsControlBlock gcb{f.disposal, false, 0, f.transparent};
    GifByteType ext[4];
    const size_t n = EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(n), ext);
    EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, nullptr);
    // Interlaced rows are written in pass order.
    std::vector<int> rows;
    if (f.interlace) {
      for (int start : {0, 4, 2, 1}) {
        const int step = start == 0 || start == 4 ? 8 : start == 2 ? 4 : 2;
        for (int r = start; r < f.height; r += step) rows.push_back(r);
      }
    } else {
      for (int r = 0; r < f.height; ++r) rows.push_back(r);
    }
    for (int r : rows) EGifPutLine(gif, const_cast<GifPixelType*>(f.pixels.data() + r * f.width), f.width);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

inline std::vector<uint8_t> WriteJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(width), info.image_height = JDIMENSION(height);
  info.input_components = 3, info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row;
  for (int x = 0; x < width; ++x) row.insert(row.end(), {r, g, b});
  while (info.next_scanline < info.image_height) {
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&info, &p, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  free(buffer);
  return out;
}

} // namespace vl::test
