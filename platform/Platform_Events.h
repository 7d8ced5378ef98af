#pragma once
// Window messages as the runner sees them: keys in the platform's virtual-key codes, characters,
// mouse buttons (1 left, 2 right, 3 middle), the wheel, the pointer, the close button, and the game
// window's client area changing size or needing to be drawn again.

#include <cstdint>

namespace vl {

enum class EEventKind {
  KeyDown,
  KeyUp,
  Character,
  MouseDown,
  MouseUp,
  WheelUp,
  WheelDown,
  MouseMove,
  Close,
  Resized,
  Exposed
};

struct REvent {
  EEventKind ev_kind = EEventKind::Close;
  int32_t ev_key = 0;         // KeyDown, KeyUp: virtual-key code
  uint32_t ev_character = 0;  // Character: the code point typed
  int32_t ev_button = 0;      // MouseDown, MouseUp
  int32_t ev_x = 0, ev_y = 0; // MouseMove: in window client pixels
};

class TEventSink {
public:
  virtual ~TEventSink() = default;
  virtual void OnEvent(const REvent& event) = 0;
};

class TEventSource {
public:
  virtual ~TEventSource() = default;
  // Dispatches the pending window messages, delivering those that concern the game to sink.
  virtual void PumpEvents(TEventSink& sink) = 0;
};

} // namespace vl
