#include "platform/Platform.h"

namespace vl {

namespace {

TServices& Fallback() {
  static const std::unique_ptr<TServices> services = CreateHeadlessServices();
  return *services;
}

TServices* Installed = nullptr;

} // namespace

void InstallServices(TServices* services) {
  Installed = services;
}

TServices& Services() {
  return Installed ? *Installed : Fallback();
}

int32_t DesktopDepth(int32_t bits) {
  return bits >= 24 ? 32 : bits;
}

} // namespace vl
