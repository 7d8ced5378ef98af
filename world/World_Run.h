#pragma once
// What the world's functions share with the main loop: the room being played and its index, the
// room request, the transition for the next room change, and what the world asks of the loop
// (event dispatch, saving the game), which the runner provides through its host.

#include <cstdint>
#include <string>

namespace vl {

class CInstance;
class CRoom;

// The room request of the main loop: -1 nothing, -100 end, -200 restart, -300 load a saved game,
// -400 end after a fatal error, N >= 0 go to room N. While it is not -1 every dispatch stops early.
extern int32_t New_Room;
inline constexpr int32_t kRoomNone = -1, kRoomEnd = -100, kRoomRestart = -200, kRoomLoad = -300,
                         kRoomFatal = -400;

struct RPlayState {
  CRoom* ps_room = nullptr;         // the live room being played; null outside a game
  int32_t ps_roomindex = -1;        // its index
  int32_t ps_transition = 0;        // transition kind for the next room change
  std::string ps_loadfile;          // the saved game to load when the new-room code is the load request
  bool ps_argumentrelative = false; // the relative flag of the action being run
};

RPlayState& PlayState();

// The main loop's side of the world. Without it no event runs and nothing is saved.
class CPlayHost {
public:
  virtual ~CPlayHost() = default;
  virtual void PerformEvent(CInstance* self, CInstance* other, int32_t type, int32_t number) = 0;
  // That event of the given object (found through its parents) for self.
  virtual void PerformEventObject(CInstance* self, CInstance* other, int32_t object, int32_t type,
                                  int32_t number) = 0;
  // Writes the whole game state to file now.
  virtual void SaveGame(const std::string& file) = 0;
};

// Null restores the default, which does nothing.
void SetPlayHost(CPlayHost* host);
CPlayHost& PlayHost();

inline void PerformEvent(CInstance* self, CInstance* other, int32_t type, int32_t number) {
  PlayHost().PerformEvent(self, other, type, number);
}

} // namespace vl
