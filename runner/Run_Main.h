#pragma once
// The main loop and the step: starting and ending the game, entering and leaving rooms, the timed
// loop at the room's speed and the fixed order of everything that happens in one step.

#include "world/Event_Class.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace vl {

class CInstance;
class CRoom;

// The keys and mouse buttons as the step reads them. The game window fills it; a headless run
// leaves it idle, so every step sees no key and no button.
struct RStepInput {
  std::bitset<256> si_keyheld, si_keypressed, si_keyreleased;
  int32_t si_lastkey = 0; // the last key pressed, for the function keys
  // Mouse buttons 1 (left), 2 (right), 3 (middle); index 0 is unused.
  std::bitset<4> si_buttonheld, si_buttonpressed, si_buttonreleased;
  bool si_wheelup = false, si_wheeldown = false;
  double si_mousex = 0, si_mousey = 0;         // in room coordinates
  double si_mousexprev = 0, si_mouseyprev = 0; // in the previous step
  // The flags of this step only.
  void ClearStep();
  void Clear();
};

// Event numbers dispatched by the step for each type: 0 to this bound (-1: none).
constexpr std::array<int32_t, kEventTypes> kEventListBound = {0,   0,   12, 16,  -1,  128,
                                                              128, 128, 0,  128, 128, -1};

struct RRunState {
  bool rs_running = false;
  bool rs_paused = false;
  // The live copy of each visited room, by room index; empty when not visited or not persistent.
  std::vector<std::unique_ptr<CRoom>> rs_rooms;
  // Persistent instances between leaving a room and entering the next.
  std::vector<std::unique_ptr<CInstance>> rs_carried;
  // Per event type and number: the objects that have the event themselves or by inheritance.
  std::array<std::vector<std::vector<int32_t>>, kEventTypes> rs_eventlists;
  RStepInput rs_input;
  int32_t rs_cursorimage = 0;
  bool rs_autodraw = true;
  int64_t rs_steps = 0;                // steps run since the program started
  std::optional<int64_t> rs_steplimit; // end the game as Esc would once this many steps ran
};

RRunState& RunState();

// The clock, in microseconds since Timer_Reset, from the active platform.
void Timer_Reset();
int64_t Timer_Now();
// Sleeps all but the last millisecond when at least 2 ms remain and spins for the rest; a headless
// platform's virtual clock jumps to the end instead.
void Timer_Wait(int64_t delay);
// The wait after a step that ended at now, the previous frame having been due at last: the frame
// time at speed (at least 1) less the time taken, within 0 .. 1000000.
int64_t Frame_Delay(int32_t speed, int64_t now, int64_t last);

// Counting frames per second from the frame times.
struct RFrameCount {
  int64_t fc_last = 0;        // when the current frame was due
  int64_t fc_secondstart = 0; // start of the second being counted
  int32_t fc_counter = 0;
  int32_t fc_fps = 0;
  void Reset(int64_t now);
  // After one step's wait: the frame that ended at now was followed by a wait of delay.
  void Advance(int64_t now, int64_t delay);
};

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

void Handle_FunctionKeys();
void Handle_Step(int32_t moment);
void Handle_Alarms();
void Handle_Keyboard();
void Handle_Mouse();

} // namespace vl
