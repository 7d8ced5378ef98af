#include "tests/support/Test_Platform.h"

namespace vl::test {

void TTestLoadWindow::SetImages(const RPixels* image, const RPixels* barBack, const RPixels* barFront) {
  hasImage = image != nullptr, hasBack = barBack != nullptr, hasFront = barFront != nullptr;
}

void TTestLoadWindow::SetTransparency(std::optional<uint32_t> key, int32_t a) {
  colourKey = key, alpha = a;
}

} // namespace vl::test
