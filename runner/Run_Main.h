#pragma once
// The main loop and the step: starting and ending the game, entering and leaving rooms, the timed
// loop at the room's speed and the fixed order of everything that happens in one step.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace vl {

class CInstance;
class CRoom;

struct RRunState {
  bool rs_running = false;
  bool rs_paused = false;
  // The live copy of each visited room that is still held (the current one and the persistent ones),
  // by room index. A map: an index that names no room (an empty room is played for it) must size
  // nothing.
  std::map<int32_t, std::unique_ptr<CRoom>> rs_rooms;
  // Persistent instances between leaving a room and entering the next.
  std::vector<std::unique_ptr<CInstance>> rs_carried;
  int32_t rs_cursorimage = 0;
  bool rs_autodraw = true;
  int64_t rs_steps = 0;                // steps run since the program started
  std::optional<int64_t> rs_steplimit; // end the game as Esc would once this many steps ran
};

RRunState& RunState();

void Run_Game();
void Run_Loop();
void Run_Step();
void Act_On_Code();

// The live room being played and its index, for the world and the code host.
void Set_PlayedRoom(CRoom* room, int32_t index);

void Game_Start();
void Game_End();
void Room_Start(int32_t index, bool gameStart);
void Room_End(bool gameEnd);
void Room_Change(int32_t index);

// Draws the room into the render area (screen_redraw draws through it too).
void Room_Draw();

void Handle_FunctionKeys();
void Handle_Step(int32_t moment);
// Advances the time line of every instance that runs one and performs the moments it passes.
void Handle_TimeLines();
void Handle_Alarms();
// The other events outside room and intersect boundary, then outside view and boundary of view for
// each visible view when views are enabled; each performed in every step its condition holds.
void Handle_Boundaries();

} // namespace vl
