#pragma once
// What the world's functions share with the main loop: the room being played and its index, the
// transition for the next room change, and event dispatch. The loop keeps this state and installs
// the dispatch, which belongs to the runner.

#include <cstdint>
#include <string>

namespace vl {

class CInstance;
class CRoom;

using TEventPerformer = void (*)(CInstance* self, CInstance* other, int32_t type, int32_t number);
using TGameSaver = void (*)(const std::string& file);

struct RPlayState {
  CRoom* ps_room = nullptr;  // the live room being played; null outside a game
  int32_t ps_roomindex = -1; // its index
  int32_t ps_transition = 0; // transition kind for the next room change
  TEventPerformer ps_perform = nullptr;
  TGameSaver ps_save = nullptr;     // the loop's saver of the whole game state
  std::string ps_loadfile;          // the saved game to load when the new-room code is the load request
  bool ps_argumentrelative = false; // the relative flag of the action being run
};

RPlayState& PlayState();

// Performs an event through the installed dispatch; nothing before one is installed.
void PerformEvent(CInstance* self, CInstance* other, int32_t type, int32_t number);

} // namespace vl
