#pragma once
// The input state: keys and mouse buttons held, pressed and released since the last step, filled by
// the window messages between steps and read by the step's keyboard and mouse handlers.

#include "platform/Platform_Events.h"

#include <bitset>
#include <cstdint>

namespace vl {

struct RStepInput {
  std::bitset<256> si_keyheld, si_keypressed, si_keyreleased;
  int32_t si_lastkey = 0; // the last key pressed, for the function keys
  // Mouse buttons 1 (left), 2 (right), 3 (middle); index 0 is unused.
  std::bitset<4> si_buttonheld, si_buttonpressed, si_buttonreleased;
  bool si_wheelup = false, si_wheeldown = false;
  double si_mousex = 0, si_mousey = 0;         // in room coordinates
  double si_mousexprev = 0, si_mouseyprev = 0; // in the previous step
  // The flags of this step only.
  void ClearStep();
  void Clear();
};

RStepInput& StepInput();

// The game window's callbacks: window messages become input state.
class TCallback final : public TEventSink {
public:
  void OnEvent(const REvent& event) override;

  void FormKeyDown(int32_t key);
  void FormKeyUp(int32_t key);
  void FormMouseDown(int32_t button);
  void FormMouseUp(int32_t button);
  void FormMouseWheelUp();
  void FormMouseWheelDown();
  // The close button: the window never closes by itself; the game decides.
  void FormCloseQuery();
};

// Dispatches pending window messages to the callbacks.
void IO_Pump();

// The step's handlers: keyboard, key press and key release events, then the mouse events.
void Handle_Keyboard();
void Handle_Mouse();

} // namespace vl
