#include "world/World_Run.h"

namespace vl {

int32_t New_Room = kRoomNone;

RPlayState& PlayState() {
  static RPlayState state;
  return state;
}

namespace {

class CNoPlayHost final : public CPlayHost {
public:
  void PerformEvent(CInstance*, CInstance*, int32_t, int32_t) override {}
  void SaveGame(const std::string&) override {}
};

CNoPlayHost NoPlayHost;
CPlayHost* Host = &NoPlayHost;

} // namespace

void SetPlayHost(CPlayHost* host) {
  Host = host ? host : &NoPlayHost;
}

CPlayHost& PlayHost() {
  return *Host;
}

} // namespace vl
