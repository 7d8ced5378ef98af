#include "world/World_State.h"

#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/Run_Handle_Collision.h"
#include "world/TimeLine_Class.h"
#include "world/Variable_World.h"
#include "world/World_Report.h"
#include "world/World_Run.h"

namespace vl {

void ResetWorldState() {
  Objects().ClearAll();
  Build_CollisionPairs();
  Rooms().ClearAll();
  TimeLines().ClearAll();
  PlayState() = RPlayState();
  New_Room = kRoomNone;
  CurrentEvent() = RCurrentEvent();
  GameVariables() = RGameVariables();
}

} // namespace vl
