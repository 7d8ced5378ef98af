#pragma once
// The built-in variables that the world owns: those of the accessed instance, and the game
// variables of the current room, its views and backgrounds, the game state, errors, arguments,
// the current event and the time.

#include <cstdint>
#include <string>

namespace vl {

// Game state that game variables read and write; the main loop and start-up keep it current.
struct RGameVariables {
  int32_t gv_score = 0;
  int32_t gv_lives = -1;
  double gv_health = 100;
  bool gv_showscore = true, gv_showlives = false, gv_showhealth = false;
  std::string gv_captionscore = "Score: ", gv_captionlives = "Lives: ", gv_captionhealth = "Health: ";
  int32_t gv_transitionsteps = 80;
  int32_t gv_cursorsprite = -1;
  int32_t gv_fps = 0;
  int32_t gv_viewcurrent = 0;
  bool gv_debugmode = false;
  std::string gv_tempdirectory;
  std::string gv_programdirectory; // without a trailing separator
  int32_t gv_ostype = 0, gv_osdevice = 0, gv_displayaa = 0;
};

RGameVariables& GameVariables();

// Registers every built-in variable once: the instance variables first (identifiers 0 to 50),
// then the game variables.
void RegisterBuiltinVariables();
void RegisterInstanceVariables();
void RegisterGameVariables();

} // namespace vl
