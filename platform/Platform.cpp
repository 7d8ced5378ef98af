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

} // namespace vl
