#pragma once
// CEvent: the action list of one event of an object, with its record and compilation; and the
// names of events used in messages.

#include "world/Action_Class.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

  std::vector<CAction> e_actions;
};

// Names for messages and the debug window.
std::string KeyName(int32_t key);
std::string MouseEventName(int32_t number);
std::string OtherEventName(int32_t number);
std::string EventName(int32_t type, int32_t number);

} // namespace vl
