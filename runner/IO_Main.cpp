#include "runner/IO_Main.h"

#include "data/Game_File.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "runner/Event_Main.h"
#include "world/Event_Class.h"
#include "world/Instance_Class.h"

namespace vl {

void RStepInput::ClearStep() {
  si_keypressed.reset();
  si_keyreleased.reset();
  si_buttonpressed.reset();
  si_buttonreleased.reset();
  si_wheelup = si_wheeldown = false;
}

void RStepInput::Clear() {
  ClearStep();
  si_keyheld.reset();
  si_buttonheld.reset();
  si_lastkey = 0;
}

RStepInput& StepInput() {
  static RStepInput input;
  return input;
}

// ---- Window messages ----------------------------------------------------------------------------

void TCallback::OnEvent(const REvent& event) {
  switch (event.ev_kind) {
  case EEventKind::KeyDown: return FormKeyDown(event.ev_key);
  case EEventKind::KeyUp: return FormKeyUp(event.ev_key);
  case EEventKind::MouseDown: return FormMouseDown(event.ev_button);
  case EEventKind::MouseUp: return FormMouseUp(event.ev_button);
  case EEventKind::WheelUp: return FormMouseWheelUp();
  case EEventKind::WheelDown: return FormMouseWheelDown();
  case EEventKind::Close: return FormCloseQuery();
  case EEventKind::Resized: return Window_Resize();
  case EEventKind::Exposed: return Window_Paint();
  case EEventKind::Character:
  case EEventKind::MouseMove: return; // the typed string and the pointer come with the input functions
  }
}

void TCallback::FormKeyDown(int32_t key) {
  if (key < 0 || key > 255) return;
  RStepInput& input = StepInput();
  input.si_lastkey = key;
  if (!input.si_keyheld[size_t(key)]) input.si_keypressed[size_t(key)] = true;
  input.si_keyheld[size_t(key)] = true;
}

void TCallback::FormKeyUp(int32_t key) {
  if (key < 0 || key > 255) return;
  RStepInput& input = StepInput();
  input.si_keyheld[size_t(key)] = false;
  input.si_keyreleased[size_t(key)] = true;
}

void TCallback::FormMouseDown(int32_t button) {
  if (button < 1 || button > 3) return;
  RStepInput& input = StepInput();
  input.si_buttonheld[size_t(button)] = true;
  input.si_buttonpressed[size_t(button)] = true;
}

void TCallback::FormMouseUp(int32_t button) {
  if (button < 1 || button > 3) return;
  RStepInput& input = StepInput();
  input.si_buttonheld[size_t(button)] = false;
  input.si_buttonreleased[size_t(button)] = true;
}

void TCallback::FormMouseWheelUp() {
  StepInput().si_wheelup = true;
}

void TCallback::FormMouseWheelDown() {
  StepInput().si_wheeldown = true;
}

// With the close button treated as Esc, Esc is made held without a press, so that the next step's
// function keys end the game when Esc may end it.
void TCallback::FormCloseQuery() {
  if (!GameData().gd_settings.gs_closeesc) return Perform_Event_All(ev_other, ev_close_button);
  RStepInput& input = StepInput();
  input.si_keyheld[vk_escape] = true;
  input.si_lastkey = vk_escape;
}

void IO_Pump() {
  static TCallback callback;
  Events().PumpEvents(callback);
}

// ---- The step's handlers ------------------------------------------------------------------------

namespace {

// Keyboard-like events of one type for the keys that pass test, then "no key" or "any key".
template <typename Test>
void Handle_Keys(int32_t type, Test test) {
  bool any = false;
  for (int32_t key = 8; key <= 255; ++key) {
    if (!test(key)) continue;
    any = true;
    Dispatch(type, key);
  }
  Dispatch(type, any ? vk_anykey : vk_nokey);
}

bool UnderMouse(const CInstance& inst) {
  const RStepInput& input = StepInput();
  return inst.Collision_Point(true, input.si_mousex, input.si_mousey);
}

bool UnderPreviousMouse(const CInstance& inst) {
  const RStepInput& input = StepInput();
  return inst.Collision_Point(true, input.si_mousexprev, input.si_mouseyprev);
}

} // namespace

void Handle_Keyboard() {
  const RStepInput& input = StepInput();
  Handle_Keys(ev_keyboard,
              [&](int32_t k) { return input.si_keyheld[size_t(k)] || input.si_keypressed[size_t(k)]; });
  Handle_Keys(ev_keypress, [&](int32_t k) { return bool(input.si_keypressed[size_t(k)]); });
  Handle_Keys(ev_keyrelease, [&](int32_t k) { return bool(input.si_keyreleased[size_t(k)]); });
}

void Handle_Mouse() {
  RStepInput& input = StepInput();
  const bool held[] = {false, input.si_buttonheld[1] || input.si_buttonpressed[1],
                       input.si_buttonheld[2] || input.si_buttonpressed[2],
                       input.si_buttonheld[3] || input.si_buttonpressed[3]};
  bool any = false;
  // Buttons 1 to 3 are the left, right and middle events of each group, in that order.
  for (int32_t button = 1; button <= 3; ++button) {
    if (!held[button]) continue;
    any = true;
    DispatchWhere(ev_mouse, ev_left_button + button - 1, UnderMouse);
    Dispatch(ev_mouse, ev_global_left_button + button - 1);
  }
  if (!any) DispatchWhere(ev_mouse, ev_no_button, UnderMouse);
  for (int32_t button = 1; button <= 3; ++button) {
    if (!input.si_buttonpressed[size_t(button)]) continue;
    DispatchWhere(ev_mouse, ev_left_press + button - 1, UnderMouse);
    Dispatch(ev_mouse, ev_global_press);
    Dispatch(ev_mouse, ev_global_left_press + button - 1);
  }
  for (int32_t button = 1; button <= 3; ++button) {
    if (!input.si_buttonreleased[size_t(button)]) continue;
    DispatchWhere(ev_mouse, ev_left_release + button - 1, UnderMouse);
    Dispatch(ev_mouse, ev_global_release);
    Dispatch(ev_mouse, ev_global_left_release + button - 1);
  }
  DispatchWhere(ev_mouse, ev_mouse_enter,
                [](const CInstance& i) { return UnderMouse(i) && !UnderPreviousMouse(i); });
  DispatchWhere(ev_mouse, ev_mouse_leave,
                [](const CInstance& i) { return !UnderMouse(i) && UnderPreviousMouse(i); });
  if (input.si_wheelup) Dispatch(ev_mouse, ev_mouse_wheel_up);
  if (input.si_wheeldown) Dispatch(ev_mouse, ev_mouse_wheel_down);
  input.si_mousexprev = input.si_mousex;
  input.si_mouseyprev = input.si_mousey;
}

} // namespace vl
