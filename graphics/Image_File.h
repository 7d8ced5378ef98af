#pragma once
// Image files into 32-bit bitmaps: PNG, JPEG, GIF and BMP, recognized by their first bytes, decoded
// straight to 32 bits with the file's alpha kept. A picture without any alpha becomes opaque.

#include "graphics/BM32_Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vl {

// Decoders refuse images of more pixels than a limit (and GIFs whose frames together hold more), so
// that a damaged header cannot ask for gigabytes; this one unless a caller asks for less.
inline constexpr int64_t kMaxImagePixels = int64_t(1) << 25;

// The canvas colour of GIF frames: the platform colour 0x008040, opaque.
inline constexpr uint32_t kGifCanvas = 0xFF408000u;

// The whole file; false when it cannot be read.
bool ReadFileBytes(const std::string& fname, std::vector<uint8_t>& bytes);

// The image (for a GIF, its first frame on a transparent canvas); null when the bytes are no image
// this system reads.
std::unique_ptr<TBitmap32> DecodeImage(const uint8_t* bytes, size_t size, int64_t limit = kMaxImagePixels);
std::unique_ptr<TBitmap32> LoadImageFile(const std::string& fname);

// Every frame of a GIF, each the size of its logical screen (at least 1 x 1): the images are drawn
// in turn onto a canvas of kGifCanvas with their own transparency, and the canvas is cleared after
// each frame unless the frame's disposal leaves it in place. False when the bytes are no GIF.
bool DecodeGifFrames(const uint8_t* bytes, size_t size, std::vector<TBitmap32>& frames,
                     int64_t limit = kMaxImagePixels);

} // namespace vl
