#pragma once
// The game information: the rich text the game carries with the settings of the window that shows
// it (the window itself comes with the windows around the game).

#include <cstdint>
#include <string>

namespace vl {

class CStream;

struct RGameInfo {
  int32_t gi_color = 0xFFFFFF; // background colour 0xBBGGRR
  bool gi_embedded = false;    // shown inside the game window
  std::string gi_caption;
  int32_t gi_left = -1, gi_top = -1; // negative: centred on that axis
  int32_t gi_width = 600, gi_height = 400;
  bool gi_border = true;
  bool gi_sizeable = true;
  bool gi_stayontop = false;
  bool gi_pause = true; // the game waits while the window is shown
  std::string gi_text;  // rich text
};

RGameInfo& GameInfo();

// Reads the game information section; false on a wrong version.
bool Load_GameInfo(CStream& stream);

} // namespace vl
