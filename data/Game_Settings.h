#pragma once
// The game settings record: the only configuration of a run.

#include "graphics/BM32_Bitmap.h"

#include <cstdint>
#include <memory>

namespace vl {

class CStream;

struct RGameSettings {
  bool gs_fullscreen = false;
  bool gs_interpolate = false;
  bool gs_noborder = false;
  bool gs_showcursor = true;
  int32_t gs_scaling = 100;
  bool gs_sizeable = false;
  bool gs_stayontop = false;
  int32_t gs_windowcolor = 0xFFFFFF;
  bool gs_changeresolution = false;
  int32_t gs_colordepth = 0;
  int32_t gs_resolution = 0;
  int32_t gs_frequency = 0;
  bool gs_nobuttons = false;
  bool gs_vsync = false;
  bool gs_noscreensaver = true;
  bool gs_fullscreenkey = true;
  bool gs_helpkey = true;
  bool gs_quitkey = true;
  bool gs_savekey = true;
  bool gs_screenshotkey = true;
  bool gs_closeesc = true;
  int32_t gs_priority = 0;
  bool gs_freeze = false;
  bool gs_showprogress = true;
  std::unique_ptr<TBitmap32> gs_backimage;  // progress bar back image
  std::unique_ptr<TBitmap32> gs_frontimage; // progress bar front image
  std::unique_ptr<TBitmap32> gs_loadimage;
  bool gs_loadtransparent = false;
  int32_t gs_loadalpha = 255;
  bool gs_scaleprogress = true;
  bool gs_displayerrors = true;
  bool gs_writeerrors = false;
  bool gs_aborterrors = false;
  bool gs_variableerrors = false; // code option bit 0: uninitialized variables read as 0
  bool gs_argumenterrors = true;  // code option bit 1: strict script argument checks
};

inline constexpr int32_t kSettingsVersion = 800;

// Resets every setting to its initial value, checks the version and reads the settings block.
// False when the version differs; a corrupt block raises the stream's read error.
bool Settings_Load(CStream& stream, RGameSettings& settings);
// Writes the version and the settings block (the inverse of Settings_Load).
void Settings_Write(CStream& stream, const RGameSettings& settings);

} // namespace vl
