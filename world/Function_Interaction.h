#pragma once
// Room requests and instance life, and the script functions built on them. Room changes, restarts
// and ends only set the new-room code; the main loop acts on it at the end of the step.

#include <cstdint>
#include <string>

namespace vl {

class CInstance;

// New-room code := index with the transition kind; a room that does not exist is a fatal error.
void Goto_Room(int32_t index, int32_t transition);
void Goto_Previous(int32_t transition);
void Goto_Next(int32_t transition);
void Restart_Room(int32_t transition);
void End_Game();
void Restart_Game();
// Stores the file and requests its load at the end of the step.
void Load_Game(const std::string& file);

// Adds an instance to the room being played and performs its create event; null (error reported)
// when the object does not exist or no room is played.
CInstance* Create_Instance(int32_t object, double x, double y);
// Performs the destroy event and marks the instance; the step removes it. An instance already
// marked is left alone, so its destroy event runs once.
void Destroy_Instance(CInstance* inst);
// Replaces the instance by one of object that keeps its id, position and everything else; the old
// one is marked. With events, the destroy event of the old and the create event of the new one.
void Change_Instance(CInstance* inst, int32_t object, bool events);
// Destroys, or changes, every active instance whose precise shape contains the point.
void Destroy_At(double x, double y);
void Change_At(int32_t object, bool events, double x, double y);

void Register_Function_Interaction();

} // namespace vl
