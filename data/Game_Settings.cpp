#include "data/Game_Settings.h"

#include "data/Support_Stream.h"

namespace vl {

bool Settings_Load(CStream& stream, RGameSettings& settings) {
  settings = RGameSettings{};
  if (stream.ReadInteger() != kSettingsVersion) return false;
  auto block = stream.ReadStreamC();
  CStream& s = *block;
  settings.gs_fullscreen = s.ReadBoolean();
  settings.gs_interpolate = s.ReadBoolean();
  settings.gs_noborder = s.ReadBoolean();
  settings.gs_showcursor = s.ReadBoolean();
  settings.gs_scaling = s.ReadInteger();
  settings.gs_sizeable = s.ReadBoolean();
  settings.gs_stayontop = s.ReadBoolean();
  settings.gs_windowcolor = s.ReadInteger();
  settings.gs_changeresolution = s.ReadBoolean();
  settings.gs_colordepth = s.ReadInteger();
  settings.gs_resolution = s.ReadInteger();
  settings.gs_frequency = s.ReadInteger();
  settings.gs_nobuttons = s.ReadBoolean();
  settings.gs_vsync = s.ReadBoolean();
  settings.gs_noscreensaver = s.ReadBoolean();
  settings.gs_fullscreenkey = s.ReadBoolean();
  settings.gs_helpkey = s.ReadBoolean();
  settings.gs_quitkey = s.ReadBoolean();
  settings.gs_savekey = s.ReadBoolean();
  settings.gs_screenshotkey = s.ReadBoolean();
  settings.gs_closeesc = s.ReadBoolean();
  settings.gs_priority = s.ReadInteger();
  settings.gs_freeze = s.ReadBoolean();
  settings.gs_showprogress = s.ReadBoolean();
  if (settings.gs_showprogress) {
    settings.gs_backimage = s.ReadBitmap();
    settings.gs_frontimage = s.ReadBitmap();
  }
  settings.gs_loadimage = s.ReadBitmap();
  settings.gs_loadtransparent = s.ReadBoolean();
  settings.gs_loadalpha = s.ReadInteger();
  settings.gs_scaleprogress = s.ReadBoolean();
  settings.gs_displayerrors = s.ReadBoolean();
  settings.gs_writeerrors = s.ReadBoolean();
  settings.gs_aborterrors = s.ReadBoolean();
  const int32_t options = s.ReadInteger();
  settings.gs_variableerrors = (options & 1) != 0;
  settings.gs_argumenterrors = (options & 2) != 0;
  return true;
}

void Settings_Write(CStream& stream, const RGameSettings& settings) {
  CStream s;
  s.WriteBoolean(settings.gs_fullscreen);
  s.WriteBoolean(settings.gs_interpolate);
  s.WriteBoolean(settings.gs_noborder);
  s.WriteBoolean(settings.gs_showcursor);
  s.WriteInteger(settings.gs_scaling);
  s.WriteBoolean(settings.gs_sizeable);
  s.WriteBoolean(settings.gs_stayontop);
  s.WriteInteger(settings.gs_windowcolor);
  s.WriteBoolean(settings.gs_changeresolution);
  s.WriteInteger(settings.gs_colordepth);
  s.WriteInteger(settings.gs_resolution);
  s.WriteInteger(settings.gs_frequency);
  s.WriteBoolean(settings.gs_nobuttons);
  s.WriteBoolean(settings.gs_vsync);
  s.WriteBoolean(settings.gs_noscreensaver);
  s.WriteBoolean(settings.gs_fullscreenkey);
  s.WriteBoolean(settings.gs_helpkey);
  s.WriteBoolean(settings.gs_quitkey);
  s.WriteBoolean(settings.gs_savekey);
  s.WriteBoolean(settings.gs_screenshotkey);
  s.WriteBoolean(settings.gs_closeesc);
  s.WriteInteger(settings.gs_priority);
  s.WriteBoolean(settings.gs_freeze);
  s.WriteBoolean(settings.gs_showprogress);
  if (settings.gs_showprogress) {
    s.WriteBitmap(settings.gs_backimage.get());
    s.WriteBitmap(settings.gs_frontimage.get());
  }
  s.WriteBitmap(settings.gs_loadimage.get());
  s.WriteBoolean(settings.gs_loadtransparent);
  s.WriteInteger(settings.gs_loadalpha);
  s.WriteBoolean(settings.gs_scaleprogress);
  s.WriteBoolean(settings.gs_displayerrors);
  s.WriteBoolean(settings.gs_writeerrors);
  s.WriteBoolean(settings.gs_aborterrors);
  s.WriteInteger((settings.gs_variableerrors ? 1 : 0) | (settings.gs_argumenterrors ? 2 : 0));
  stream.WriteInteger(kSettingsVersion);
  stream.WriteStreamC(s);
}

} // namespace vl
