#include "runner/Event_Main.h"

#include "runner/Event_Action.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/Run_Handle_Collision.h"
#include "world/TimeLine_Class.h"
#include "world/World_Report.h"
#include "world/World_Run.h"

#include <memory>
#include <vector>

namespace vl {

CEvent* Find_Event(int32_t object, int32_t type, int32_t number, int32_t* owner) {
  return Objects().FindEvent(object, type, number, owner);
}

void Perform_Event(CInstance* inst, CInstance* other, int32_t type, int32_t number) {
  if (New_Room != kRoomNone || !inst) return;
  Perform_Event_Object(inst, other, inst->i_objectindex, type, number);
}

void Perform_Event_Object(CInstance* inst, CInstance* other, int32_t object, int32_t type, int32_t number) {
  if (New_Room != kRoomNone) return;
  int32_t owner = -1;
  if (const CEvent* event = Find_Event(object, type, number, &owner))
    Perform_Found(inst, other, *event, owner, type, number);
}

void Perform_Found(CInstance* inst, CInstance* other, const CEvent& event, int32_t owner, int32_t type,
                   int32_t number) {
  if (New_Room != kRoomNone) return;
  RCurrentEvent& current = CurrentEvent();
  const RCurrentEvent saved = current;
  current.event_object = owner;
  current.event_type = type;
  current.event_number = number;
  Run_Actions(event, inst, other);
  current = saved;
}

void Perform_Moment(CInstance* inst, CInstance* other, int32_t timeline, int32_t moment) {
  if (New_Room != kRoomNone) return;
  const CTimeLine* line = TimeLines().Get(timeline);
  if (!line || moment < 0 || moment >= line->Count()) return;
  const CTimeLine::RMoment& found = line->s_moments[size_t(moment)];
  // Held while it runs: its actions may delete the moment or the time line.
  const std::shared_ptr<CEvent> event = found.m_event;
  RCurrentEvent& current = CurrentEvent();
  const RCurrentEvent saved = current;
  current.event_object = timeline;
  current.event_type = kTimeLineEvent;
  current.event_number = found.m_step;
  Run_Actions(*event, inst, other);
  current = saved;
}

void Perform_Event_All(int32_t type, int32_t number) {
  CRoom* room = PlayState().ps_room;
  if (New_Room != kRoomNone || !room) return;
  // Events may create or destroy instances; the instances present now are the ones visited.
  std::vector<CInstance*> snapshot;
  snapshot.reserve(size_t(room->Number()));
  for (const auto& inst : room->r_instance) snapshot.push_back(inst.get());
  for (CInstance* inst : snapshot)
    if (!inst->i_marked) Perform_Event_Object(inst, inst, inst->i_objectindex, type, number);
}

namespace {

std::array<std::vector<std::vector<int32_t>>, kEventTypes> EventLists;

} // namespace

void Build_EventLists() {
  const CObjectTable& objects = Objects();
  for (int32_t type = 0; type < kEventTypes; ++type) {
    auto& lists = EventLists[size_t(type)];
    lists.assign(size_t(kEventListBound[size_t(type)] + 1), {});
    for (int32_t number = 0; number < int32_t(lists.size()); ++number)
      for (int32_t o = 0; o < objects.Count(); ++o)
        if (const CObject* object = objects.Get(o); object && object->GetEventRecursive(type, number))
          lists[size_t(number)].push_back(o);
  }
  Build_CollisionPairs();
}

const std::vector<int32_t>& EventList(int32_t type, int32_t number) {
  static const std::vector<int32_t> none;
  const auto& lists = EventLists[size_t(type)];
  return number >= 0 && number < int32_t(lists.size()) ? lists[size_t(number)] : none;
}

std::vector<CInstance*> InstancesOf(int32_t object) {
  CRoom* room = PlayState().ps_room;
  return room ? room->ObjectList(object) : std::vector<CInstance*>();
}

// The instances of one object share the event, so it is looked up once per object.
void Dispatch(int32_t type, int32_t number) {
  for (int32_t object : EventList(type, number)) {
    int32_t owner = -1;
    const CEvent* event = Find_Event(object, type, number, &owner);
    if (!event) continue;
    for (CInstance* inst : InstancesOf(object)) {
      if (inst->i_marked) continue;
      if (inst->i_objectindex == object)
        Perform_Found(inst, inst, *event, owner, type, number);
      else // changed its object during the step: it reacts as its new object
        Perform_Event(inst, inst, type, number);
    }
  }
}

} // namespace vl
