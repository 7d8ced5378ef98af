#include "world/World_Run.h"

namespace vl {

int32_t New_Room = kRoomNone;

namespace {

// At namespace scope: code reaches the played room through it for every instance it visits, and a
// local static would be checked for its initialization at each look-up.
RPlayState State;

class CNoPlayHost final : public CPlayHost {
public:
  void PerformEvent(CInstance*, CInstance*, int32_t, int32_t) override {}
  void PerformEventObject(CInstance*, CInstance*, int32_t, int32_t, int32_t) override {}
  void SaveGame(const std::string&) override {}
};

CNoPlayHost NoPlayHost;
CPlayHost* Host = &NoPlayHost;

} // namespace

RPlayState& PlayState() {
  return State;
}

void SetPlayHost(CPlayHost* host) {
  Host = host ? host : &NoPlayHost;
}

CPlayHost& PlayHost() {
  return *Host;
}

} // namespace vl
