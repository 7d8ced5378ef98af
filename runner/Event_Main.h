#pragma once
// Performing events: finding the event along the parent chain, keeping the current-event record
// around it and running its action list; and the step's dispatch of one event to every instance
// that reacts to it. Every perform stops early while a room change is pending.

#include "world/Event_Class.h"
#include "world/Instance_Class.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vl {

// Nothing when a room change is pending or there is no instance; else from the instance's object.
void Perform_Event(CInstance* inst, CInstance* other, int32_t type, int32_t number);
void Perform_Event_Object(CInstance* inst, CInstance* other, int32_t object, int32_t type, int32_t number);
// Runs an event already found for an object (owner: where it was found) as Perform_Event_Object
// would; for loops that perform one event for many instances of one object.
void Perform_Found(CInstance* inst, CInstance* other, const CEvent& event, int32_t owner, int32_t type,
                   int32_t number);
// The moment's event of a time line for inst, as Perform_Event_Object would run an object's event;
// the current event is (time line, time-line type, the moment's step). Nothing when a room change
// is pending or the time line has no such moment.
void Perform_Moment(CInstance* inst, CInstance* other, int32_t timeline, int32_t moment);
// For every unmarked instance of the room being played, in room order, as self and other.
void Perform_Event_All(int32_t type, int32_t number);
// The event an instance of object reacts to, and the object in the chain that owns it.
CEvent* Find_Event(int32_t object, int32_t type, int32_t number, int32_t* owner);

// Event numbers dispatched by the step for each type: 0 to this bound (-1: none).
constexpr std::array<int32_t, kEventTypes> kEventListBound = {0,   0,   12, 16,  -1,  128,
                                                              128, 128, 0,  128, 128, -1};
// Per event type and number, the objects that have the event themselves or by inheritance, and the
// collision pairs; built when the game starts.
void Build_EventLists();
const std::vector<int32_t>& EventList(int32_t type, int32_t number);
// The instances of object in the played room as they are now: events may add instances to the
// lists being walked.
std::vector<CInstance*> InstancesOf(int32_t object);
// The event for every unmarked instance of every object in its list, each as self and other.
void Dispatch(int32_t type, int32_t number);
// The event for the unmarked instances of its list that pass test, each tested just before.
template <typename Test>
void DispatchWhere(int32_t type, int32_t number, Test test) {
  for (int32_t object : EventList(type, number))
    for (CInstance* inst : InstancesOf(object))
      if (!inst->i_marked && test(*inst)) Perform_Event(inst, inst, type, number);
}

} // namespace vl
