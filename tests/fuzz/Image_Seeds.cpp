// Writes the seed inputs of the image fuzz targets:
//   fuzz_image_seeds tests/fuzz/corpus/fuzz_image_decode tests/fuzz/corpus/fuzz_image_records
#include "data/Background_Class.h"
#include "data/Image_Record.h"
#include "data/Sprite_Class.h"
#include "data/Support_Stream.h"
#include "tests/support/Test_Images.h"

#include <cstdio>
#include <filesystem>
#include <string>

using namespace vl;

namespace {

void Save(const std::filesystem::path& folder, const std::string& name, const std::vector<uint8_t>& bytes) {
  if (!CStream(bytes).SaveToFile((folder / name).string()))
    std::fprintf(stderr, "cannot write %s\n", name.c_str());
}

// The records target reads its first byte as the choice of reader.
std::vector<uint8_t> Chosen(uint8_t reader, const CStream& s) {
  std::vector<uint8_t> bytes = {reader};
  bytes.insert(bytes.end(), s.Bytes().begin(), s.Bytes().end());
  return bytes;
}

TBitmap32 Spotted(int32_t w, int32_t h) {
  TBitmap32 bmp(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      if ((x * 7 + y * 3) % 5 < 2) bmp.SetPixel(x, y, 0xFF000000u | uint32_t(x * 40) << 8 | uint32_t(y * 50));
  return bmp;
}

void DecodeSeeds(const std::filesystem::path& folder) {
  TBitmap32 alpha = Spotted(6, 5);
  alpha.SetPixel(0, 0, 0x80FF0000u);
  Save(folder, "alpha.png", BitmapToPng(alpha));
  Save(folder, "plain.jpg", test::WriteJpeg(9, 7, 200, 100, 50));
  Save(folder, "rgb32.bmp", BitmapToBmp(alpha));
  Save(folder, "anim.gif",
       test::WriteGif(4, 3,
                      {{0, 0, 2, 2, {1, 0, 2, 3}, 0, DISPOSE_DO_NOT},
                       {1, 1, 3, 2, {3, 3, 0, 1, 1, 2}, 0, DISPOSE_BACKGROUND},
                       {0, 0, 4, 3, std::vector<uint8_t>(12, 2), NO_TRANSPARENT_COLOR, DISPOSE_PREVIOUS}}));
  std::vector<uint8_t> rows;
  for (int i = 0; i < 3 * 10; ++i) rows.push_back(uint8_t(i % 4));
  Save(folder, "interlaced.gif", test::WriteGif(3, 10, {{0, 0, 3, 10, rows, 1, DISPOSAL_UNSPECIFIED, true}}));
}

void RecordSeeds(const std::filesystem::path& folder) {
  for (bool sep : {false, true}) {
    CSprite spr;
    spr.i_bitmap = {Spotted(5, 4), Spotted(5, 4), TBitmap32(5, 4)};
    spr.i_xorig = 2, spr.i_yorig = 1;
    spr.ComputeMask(sep, TMask::kBoxAutomatic, RBox(), sep ? TMask::kPrecise : TMask::kEllipse, 0);
    CStream s;
    spr.SaveToStream(s);
    Save(folder, sep ? "sprite_separate" : "sprite_shared", Chosen(0, s));
  }
  CBackground back;
  back.i_bitmap = Spotted(7, 3);
  CStream b;
  back.SaveToStream(b);
  Save(folder, "background", Chosen(1, b));

  CStream body;
  body.WriteInteger(CSprite::kVersion);
  body.WriteInteger(1), body.WriteInteger(1), body.WriteInteger(2);
  SaveBitmapRecord(body, Spotted(4, 4));
  SaveBitmapRecord(body, Spotted(4, 4));
  body.WriteInteger(TMask::kDiamond), body.WriteInteger(10), body.WriteBoolean(true);
  body.WriteInteger(TMask::kBoxManual);
  for (int32_t v : {0, 3, 3, 1}) body.WriteInteger(v);
  CStream file;
  file.WriteInteger(kImageFileMark);
  file.WriteStreamC(body);
  Save(folder, "sprite_file", Chosen(2, file));

  CStream backbody;
  backbody.WriteInteger(CBackground::kVersion);
  backbody.WriteBoolean(false);
  for (int i = 0; i < 6; ++i) backbody.WriteInteger(i);
  SaveBitmapRecord(backbody, Spotted(3, 3));
  CStream backfile;
  backfile.WriteInteger(kImageFileMark);
  backfile.WriteStreamC(backbody);
  Save(folder, "background_file", Chosen(3, backfile));
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fuzz_image_seeds DECODE_FOLDER RECORDS_FOLDER\n");
    return 2;
  }
  std::filesystem::create_directories(argv[1]);
  std::filesystem::create_directories(argv[2]);
  DecodeSeeds(argv[1]);
  RecordSeeds(argv[2]);
  return 0;
}
