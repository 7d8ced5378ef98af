#include "tests/graphics/device/Golden_Image.h"

#include "graphics/Image_File.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vl::test {

namespace {

namespace fs = std::filesystem;

bool WritePng(const fs::path& file, const TBitmap32& bmp) {
  fs::create_directories(file.parent_path());
  const std::vector<uint8_t> png = BitmapToPng(bmp);
  std::ofstream out(file, std::ios::binary);
  return bool(out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size())));
}

int32_t ChannelDifference(uint32_t a, uint32_t b) {
  int32_t most = 0;
  for (int shift = 0; shift < 32; shift += 8)
    most = std::max(most, std::abs(int32_t(a >> shift & 255) - int32_t(b >> shift & 255)));
  return most;
}

} // namespace

TBitmap32 EdgeMask(const TBitmap32& reference, int32_t band) {
  TBitmap32 mask(reference.s_w, reference.s_h, 0);
  for (int32_t y = 0; y < reference.s_h; ++y)
    for (int32_t x = 0; x < reference.s_w; ++x) {
      const uint32_t here = reference.GetPixel(x, y);
      const bool edge = (x + 1 < reference.s_w && reference.GetPixel(x + 1, y) != here) ||
                        (y + 1 < reference.s_h && reference.GetPixel(x, y + 1) != here);
      if (!edge) continue;
      for (int32_t dy = -band; dy <= band + 1; ++dy)
        for (int32_t dx = -band; dx <= band + 1; ++dx)
          if (x + dx >= 0 && y + dy >= 0 && x + dx < mask.s_w && y + dy < mask.s_h)
            mask.SetPixel(x + dx, y + dy, 0xFFFFFFFFu);
    }
  return mask;
}

::testing::AssertionResult MatchesGolden(const TBitmap32& actual, const std::string& name,
                                         const RGoldenCompare& compare) {
  const fs::path reference = fs::path(VL_GOLDEN_DIR) / (name + ".png");
  if (const char* update = std::getenv("VL_UPDATE_GOLDEN"); update && std::string(update) == "1") {
    if (!WritePng(reference, actual)) return ::testing::AssertionFailure() << "cannot write " << reference;
    return ::testing::AssertionSuccess() << "reference written";
  }
  return MatchesReference(actual, reference.string(), (fs::current_path() / "golden-out").string(), name,
                          compare);
}

::testing::AssertionResult MatchesReference(const TBitmap32& actual, const std::string& reference,
                                            const std::string& outFolder, const std::string& name,
                                            const RGoldenCompare& compare) {
  const fs::path out = outFolder;
  std::unique_ptr<TBitmap32> expected = LoadImageFile(reference);
  if (!expected) {
    WritePng(out / (name + ".actual.png"), actual);
    return ::testing::AssertionFailure() << "no reference " << reference << "; actual image in " << out;
  }
  if (expected->s_w != actual.s_w || expected->s_h != actual.s_h) {
    WritePng(out / (name + ".actual.png"), actual);
    return ::testing::AssertionFailure() << "size " << actual.s_w << "x" << actual.s_h << ", reference "
                                         << expected->s_w << "x" << expected->s_h;
  }
  const TBitmap32 mask = compare.gc_edgeband > 0 ? EdgeMask(*expected, compare.gc_edgeband) : TBitmap32();
  TBitmap32 difference(actual.s_w, actual.s_h, 0xFF000000u);
  int64_t differing = 0;
  int32_t worst = 0, firstx = -1, firsty = -1;
  for (int32_t y = 0; y < actual.s_h; ++y)
    for (int32_t x = 0; x < actual.s_w; ++x) {
      if (!mask.Empty() && mask.GetPixel(x, y)) continue;
      const int32_t d = ChannelDifference(actual.GetPixel(x, y), expected->GetPixel(x, y));
      if (d <= compare.gc_tolerance) continue;
      if (differing++ == 0) firstx = x, firsty = y;
      worst = std::max(worst, d);
      difference.SetPixel(x, y, 0xFFFF0000u | uint32_t(std::min(255, 64 + d)) << 8);
    }
  if (differing <= compare.gc_differing) return ::testing::AssertionSuccess();
  WritePng(out / (name + ".actual.png"), actual);
  WritePng(out / (name + ".diff.png"), difference);
  return ::testing::AssertionFailure()
         << differing << " pixels differ by more than " << compare.gc_tolerance << " (worst " << worst
         << ", first at " << firstx << "," << firsty << "); images in " << out;
}

} // namespace vl::test
