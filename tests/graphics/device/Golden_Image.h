#pragma once
// Golden images: a rendered image is compared with a reference PNG in tests/graphics/device/golden.
// On a mismatch the actual image and a difference image are written to the test's build folder
// (golden-out/NAME.actual.png and NAME.diff.png). VL_UPDATE_GOLDEN=1 writes the reference instead.

#include "graphics/BM32_Bitmap.h"

#include <gtest/gtest.h>
#include <string>

namespace vl::test {

struct RGoldenCompare {
  int32_t gc_tolerance = 0; // largest difference allowed in any channel
  int32_t gc_edgeband = 0;  // pixels this close to an edge of the reference are not compared
  int64_t gc_differing = 0; // pixels allowed beyond the tolerance
};

// Pixels within `band` of a place where the reference changes colour (an edge of what was drawn).
TBitmap32 EdgeMask(const TBitmap32& reference, int32_t band);

::testing::AssertionResult MatchesGolden(const TBitmap32& actual, const std::string& name,
                                         const RGoldenCompare& compare = {});
// The comparison itself: the reference file, and the folder that receives NAME.actual.png and
// NAME.diff.png on a mismatch.
::testing::AssertionResult MatchesReference(const TBitmap32& actual, const std::string& reference,
                                            const std::string& outFolder, const std::string& name,
                                            const RGoldenCompare& compare);

} // namespace vl::test
