#include "graphics/Function_Window.h"

#include "data/Game_File.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "script/Code_Function.h"
#include "script/Code_Operator.h"

#include <string>

namespace vl {

namespace {

void (*DisplayReset)() = nullptr;

bool Bool(const RValue& v) {
  return IsTrue(ArgumentReal(v));
}

RWindowState& S() {
  return WindowState();
}

#define VL_ARGS CInstance *, CInstance *, int32_t, RValue &result, const RValue *args

void window_set_fullscreen(VL_ARGS) {
  Window_SetFullscreen(Bool(args[0]));
}
void window_get_fullscreen(VL_ARGS) {
  result.SetReal(S().ws_fullscreen);
}
void window_set_showborder(VL_ARGS) {
  Window_SetShowBorder(Bool(args[0]));
}
void window_get_showborder(VL_ARGS) {
  result.SetReal(S().ws_showborder);
}
void window_set_showicons(VL_ARGS) {
  Window_SetShowIcons(Bool(args[0]));
}
void window_get_showicons(VL_ARGS) {
  result.SetReal(S().ws_showicons);
}
void window_set_sizeable(VL_ARGS) {
  Window_SetSizeable(Bool(args[0]));
}
void window_get_sizeable(VL_ARGS) {
  result.SetReal(S().ws_sizeable);
}
void window_set_stayontop(VL_ARGS) {
  if (TGameWindow* w = GameWindow()) w->SetStayOnTop(Bool(args[0]));
}
void window_get_stayontop(VL_ARGS) {
  TGameWindow* w = GameWindow();
  result.SetReal(w && w->StayOnTop());
}
void window_set_visible(VL_ARGS) {
  if (TGameWindow* w = GameWindow()) w->SetVisible(Bool(args[0]));
  Window_RememberGeometry();
}
void window_get_visible(VL_ARGS) {
  TGameWindow* w = GameWindow();
  result.SetReal(w && w->Visible());
}
// The window stands for its handle: 1 while it exists. Nothing here hands handles to libraries.
void window_handle(VL_ARGS) {
  result.SetReal(GameWindow() != nullptr);
}
void window_set_caption(VL_ARGS) {
  if (TGameWindow* w = GameWindow()) w->SetCaption(args[0].IsString() ? std::string(args[0].Str()) : "");
}
void window_get_caption(VL_ARGS) {
  TGameWindow* w = GameWindow();
  result.SetString(w ? w->Caption() : "");
}
void window_set_cursor(VL_ARGS) {
  const int32_t cursor = ArgumentWhole(args[0]);
  if (TGameWindow* w = GameWindow()) w->SetCursor(cursor);
  GameData().gd_settings.gs_showcursor = cursor != -1;
}
void window_get_cursor(VL_ARGS) {
  TGameWindow* w = GameWindow();
  result.SetReal(w ? w->Cursor() : 0);
}
void window_set_color(VL_ARGS) {
  S().ws_colour = uint32_t(ArgumentWhole(args[0]));
  Window_Paint();
}
void window_get_color(VL_ARGS) {
  result.SetReal(S().ws_colour);
}
void window_set_position(VL_ARGS) {
  Window_SetPosition(ArgumentWhole(args[0]), ArgumentWhole(args[1]));
}
void window_set_size(VL_ARGS) {
  Window_SetSize(ArgumentWhole(args[0]), ArgumentWhole(args[1]));
}
void window_set_rectangle(VL_ARGS) {
  Window_SetRectangle(ArgumentWhole(args[0]), ArgumentWhole(args[1]), ArgumentWhole(args[2]),
                      ArgumentWhole(args[3]));
}
void window_center(VL_ARGS) {
  Window_Center();
}
void window_default(VL_ARGS) {
  Window_Default();
}
void window_get_x(VL_ARGS) {
  result.SetReal(Window_Client().x);
}
void window_get_y(VL_ARGS) {
  result.SetReal(Window_Client().y);
}
void window_get_width(VL_ARGS) {
  result.SetReal(Window_Client().w);
}
void window_get_height(VL_ARGS) {
  result.SetReal(Window_Client().h);
}
void window_set_region_size(VL_ARGS) {
  Window_SetRegionSize(ArgumentWhole(args[0]), ArgumentWhole(args[1]), Bool(args[2]));
}
void window_get_region_width(VL_ARGS) {
  result.SetReal(S().ws_regionw);
}
void window_get_region_height(VL_ARGS) {
  result.SetReal(S().ws_regionh);
}
void window_set_region_scale(VL_ARGS) {
  Window_SetRegionScale(ArgumentReal(args[0]), Bool(args[1]));
}
void window_get_region_scale(VL_ARGS) {
  result.SetReal(S().ws_scale);
}
void window_mouse_get_x(VL_ARGS) {
  int32_t x = 0, y = 0;
  if (TGameWindow* w = GameWindow()) w->MouseInClient(x, y);
  result.SetReal(x);
}
void window_mouse_get_y(VL_ARGS) {
  int32_t x = 0, y = 0;
  if (TGameWindow* w = GameWindow()) w->MouseInClient(x, y);
  result.SetReal(y);
}
void window_mouse_set(VL_ARGS) {
  if (TGameWindow* w = GameWindow()) w->SetMouseInClient(ArgumentWhole(args[0]), ArgumentWhole(args[1]));
}

void display_get_width(VL_ARGS) {
  result.SetReal(Display().CurrentMode().width);
}
void display_get_height(VL_ARGS) {
  result.SetReal(Display().CurrentMode().height);
}
void display_get_colordepth(VL_ARGS) {
  result.SetReal(Display().CurrentMode().bits);
}
void display_get_frequency(VL_ARGS) {
  result.SetReal(Display().CurrentMode().frequency);
}

// Only the fields given above 0 take part.
RDisplayMode Wanted(int32_t w, int32_t h, int32_t f, int32_t d) {
  RDisplayMode mode;
  mode.width = w > 0 ? w : 0;
  mode.height = h > 0 ? h : 0;
  mode.frequency = f > 0 ? f : 0;
  mode.bits = d > 0 ? d : 0;
  return mode;
}

void ChangeDisplay(RValue& result, const RDisplayMode& wanted) {
  result.SetReal(Display().SetMode(wanted));
  if (DisplayReset) DisplayReset();
}

void display_set_size(VL_ARGS) {
  ChangeDisplay(result, Wanted(ArgumentWhole(args[0]), ArgumentWhole(args[1]), 0, 0));
}
void display_set_colordepth(VL_ARGS) {
  ChangeDisplay(result, Wanted(0, 0, 0, ArgumentWhole(args[0])));
}
void display_set_frequency(VL_ARGS) {
  ChangeDisplay(result, Wanted(0, 0, ArgumentWhole(args[0]), 0));
}
void display_set_all(VL_ARGS) {
  ChangeDisplay(result, Wanted(ArgumentWhole(args[0]), ArgumentWhole(args[1]), ArgumentWhole(args[2]),
                               ArgumentWhole(args[3])));
}
void display_test_all(VL_ARGS) {
  result.SetReal(Display().TestMode(Wanted(ArgumentWhole(args[0]), ArgumentWhole(args[1]),
                                           ArgumentWhole(args[2]), ArgumentWhole(args[3]))));
}
void display_mouse_get_x(VL_ARGS) {
  int32_t x = 0, y = 0;
  if (TGameWindow* w = GameWindow()) w->MouseOnScreen(x, y);
  result.SetReal(x);
}
void display_mouse_get_y(VL_ARGS) {
  int32_t x = 0, y = 0;
  if (TGameWindow* w = GameWindow()) w->MouseOnScreen(x, y);
  result.SetReal(y);
}
void display_mouse_set(VL_ARGS) {
  if (TGameWindow* w = GameWindow()) w->SetMouseOnScreen(ArgumentWhole(args[0]), ArgumentWhole(args[1]));
}

#undef VL_ARGS

} // namespace

void Window_SetDisplayReset(void (*reset)()) {
  DisplayReset = reset;
}

void Register_Function_Window() {
  struct REntry {
    const char* name;
    TFunctionRoutine routine;
    int32_t args;
  };
#define VL_ENTRY(name, args)                                                                                 \
  { #name, name, args }
  static const REntry entries[] = {
      VL_ENTRY(window_set_visible, 1),
      VL_ENTRY(window_get_visible, 0),
      VL_ENTRY(window_set_fullscreen, 1),
      VL_ENTRY(window_get_fullscreen, 0),
      VL_ENTRY(window_set_showborder, 1),
      VL_ENTRY(window_get_showborder, 0),
      VL_ENTRY(window_set_showicons, 1),
      VL_ENTRY(window_get_showicons, 0),
      VL_ENTRY(window_set_stayontop, 1),
      VL_ENTRY(window_get_stayontop, 0),
      VL_ENTRY(window_set_sizeable, 1),
      VL_ENTRY(window_get_sizeable, 0),
      VL_ENTRY(window_set_caption, 1),
      VL_ENTRY(window_get_caption, 0),
      VL_ENTRY(window_set_cursor, 1),
      VL_ENTRY(window_get_cursor, 0),
      VL_ENTRY(window_set_color, 1),
      VL_ENTRY(window_get_color, 0),
      VL_ENTRY(window_set_position, 2),
      VL_ENTRY(window_set_size, 2),
      VL_ENTRY(window_set_rectangle, 4),
      VL_ENTRY(window_center, 0),
      VL_ENTRY(window_default, 0),
      VL_ENTRY(window_get_x, 0),
      VL_ENTRY(window_get_y, 0),
      VL_ENTRY(window_get_width, 0),
      VL_ENTRY(window_get_height, 0),
      VL_ENTRY(window_set_region_size, 3),
      VL_ENTRY(window_get_region_width, 0),
      VL_ENTRY(window_get_region_height, 0),
      VL_ENTRY(window_set_region_scale, 2),
      VL_ENTRY(window_get_region_scale, 0),
      VL_ENTRY(window_mouse_get_x, 0),
      VL_ENTRY(window_mouse_get_y, 0),
      VL_ENTRY(window_mouse_set, 2),
      VL_ENTRY(display_get_width, 0),
      VL_ENTRY(display_get_height, 0),
      VL_ENTRY(display_get_colordepth, 0),
      VL_ENTRY(display_get_frequency, 0),
      VL_ENTRY(display_set_size, 2),
      VL_ENTRY(display_set_colordepth, 1),
      VL_ENTRY(display_set_frequency, 1),
      VL_ENTRY(display_set_all, 4),
      VL_ENTRY(display_test_all, 4),
      VL_ENTRY(display_mouse_get_x, 0),
      VL_ENTRY(display_mouse_get_y, 0),
      VL_ENTRY(display_mouse_set, 2),
      VL_ENTRY(window_handle, 0),
  };
#undef VL_ENTRY
  for (const REntry& e : entries) RegisterFunction(e.name, e.routine, e.args);
}

} // namespace vl
