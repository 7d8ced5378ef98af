#pragma once
// CEvent: the action list of one event of an object, with its record and compilation; and the
// names of events used in messages.

#include "world/Action_Class.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace vl {

class CStream;

// Event types.
enum : int32_t {
  ev_create = 0,
  ev_destroy = 1,
  ev_alarm = 2,
  ev_step = 3,
  ev_collision = 4,
  ev_keyboard = 5,
  ev_mouse = 6,
  ev_other = 7,
  ev_draw = 8,
  ev_keypress = 9,
  ev_keyrelease = 10,
  ev_trigger = 11,
};
constexpr int32_t kEventTypes = 12;

// Event numbers, named as scripts name them.
enum : int32_t { ev_step_normal = 0, ev_step_begin = 1, ev_step_end = 2 };
enum : int32_t {
  ev_left_button = 0,
  ev_no_button = 3,
  ev_left_press = 4,
  ev_left_release = 7,
  ev_mouse_enter = 10,
  ev_mouse_leave = 11,
  ev_global_press = 12,
  ev_global_release = 13,
  ev_global_left_button = 50,
  ev_global_left_press = 53,
  ev_global_left_release = 56,
  ev_mouse_wheel_up = 60,
  ev_mouse_wheel_down = 61,
};
enum : int32_t {
  ev_outside = 0,
  ev_boundary = 1,
  ev_game_start = 2,
  ev_game_end = 3,
  ev_room_start = 4,
  ev_room_end = 5,
  ev_animation_end = 7,
  ev_end_of_path = 8,
  ev_close_button = 30,
  ev_outside_view0 = 40,
  ev_boundary_view0 = 50,
};
// Key numbers 0 and 1 of keyboard events: no key, any key.
enum : int32_t { vk_nokey = 0, vk_anykey = 1 };
// Keys with a meaning of their own to the runner, as the platform's virtual-key codes.
enum : int32_t { vk_escape = 27, vk_f4 = 115, vk_f5 = 116, vk_f6 = 117 };

class CEvent {
public:
  static constexpr int32_t kVersion = 400;

  void Clear() { e_actions.clear(); }
  void AddCodeAction(std::string_view text) { e_actions.push_back(CAction::CreateCode(text)); }
  // A wrong version leaves the event empty; that does not fail the object.
  bool LoadFromStream(CStream& stream);
  // Compiles the actions in order, each as the current action.
  bool Compile();
  int32_t Number() const { return int32_t(e_actions.size()); }
  // The action at index, or null outside the list.
  CAction* Action(int32_t index) {
    return index >= 0 && index < Number() ? &e_actions[size_t(index)] : nullptr;
  }
  const CAction* Action(int32_t index) const {
    return index >= 0 && index < Number() ? &e_actions[size_t(index)] : nullptr;
  }

  // A deque: an action appended while the event runs (code adding to a time-line moment that is
  // being performed) leaves the actions being run where they are.
  std::deque<CAction> e_actions;
};

// Names for messages and the debug window.
std::string KeyName(int32_t key);
std::string MouseEventName(int32_t number);
std::string OtherEventName(int32_t number);
std::string EventName(int32_t type, int32_t number);

} // namespace vl
