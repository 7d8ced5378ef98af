#pragma once
// Performing events: finding the event along the parent chain, keeping the current-event record
// around it and running its action list. Every perform stops early while a room change is pending.

#include <cstdint>

namespace vl {

class CEvent;
class CInstance;

// Nothing when a room change is pending or there is no instance; else from the instance's object.
void Perform_Event(CInstance* inst, CInstance* other, int32_t type, int32_t number);
void Perform_Event_Object(CInstance* inst, CInstance* other, int32_t object, int32_t type, int32_t number);
// Runs an event already found for an object (owner: where it was found) as Perform_Event_Object
// would; for loops that perform one event for many instances of one object.
void Perform_Found(CInstance* inst, CInstance* other, const CEvent& event, int32_t owner, int32_t type,
                   int32_t number);
// For every unmarked instance of the room being played, in room order, as self and other.
void Perform_Event_All(int32_t type, int32_t number);
// The event an instance of object reacts to, and the object in the chain that owns it.
CEvent* Find_Event(int32_t object, int32_t type, int32_t number, int32_t* owner);

// Installs Perform_Event as the world's dispatch.
void Install_Event_Dispatch();

} // namespace vl
