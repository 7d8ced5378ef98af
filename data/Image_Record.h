#pragma once
// The stored forms of bitmaps and masks inside sprite and background records, and the steps that
// prepare an image for a sprite or background: background removal, smoothing and the colours
// hidden under transparent pixels.

#include "graphics/BM32_Bitmap.h"
#include "graphics/Sprite_Mask.h"

namespace vl {

class CStream;

inline constexpr int32_t kImageRecordVersion = 800;
// The integer that starts sprite and background files.
inline constexpr int32_t kImageFileMark = 1234321;

// False with the bitmap unchanged on a wrong version; false with the bitmap empty when the pixel
// block does not hold width x height pixels.
bool LoadBitmapRecord(CStream& s, TBitmap32& bmp);
void SaveBitmapRecord(CStream& s, const TBitmap32& bmp);
// False with the mask empty on a wrong version. A size the remaining bytes cannot hold is a read
// error (EStreamError) before anything is allocated.
bool LoadMaskRecord(CStream& s, TMask& mask);
void SaveMaskRecord(CStream& s, const TMask& mask);

// Every pixel of the bottom-left pixel's colour becomes transparent.
void RemoveBackground(TBitmap32& bmp);
// In place, row by row: each transparent pixel takes 32 of alpha from the pixels around it.
void SmoothEdges(TBitmap32& bmp);
// Transparent pixels take the colour of their first visible neighbour (left, right, above, below),
// so that filtered drawing does not bleed a hidden colour into the edges.
void FillHiddenColours(TBitmap32& bmp);
// Removal and smoothing as selected, then, after either, the hidden colours.
void PrepareImage(TBitmap32& bmp, bool removeback, bool smooth);

} // namespace vl
