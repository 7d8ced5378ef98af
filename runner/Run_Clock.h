#pragma once
// The frame clock: time since the loop started, waiting for the next frame and counting frames
// per second.

#include <cstdint>

namespace vl {

// The clock, in microseconds since Timer_Reset.
void Timer_Reset();
int64_t Timer_Now();
// Sleeps all but the last millisecond when at least 2 ms remain and spins for the rest, pumping
// window messages; a virtual clock jumps to the end instead.
void Timer_Wait(int64_t delay);
// The wait after a step that ended at now, the previous frame having been due at last: the frame
// time at speed (at least 1) less the time taken, within 0 .. 1000000.
int64_t Frame_Delay(int32_t speed, int64_t now, int64_t last);

// Counting frames per second from the frame times.
struct RFrameCount {
  int64_t fc_last = 0;        // when the current frame was due
  int64_t fc_secondstart = 0; // start of the second being counted
  int32_t fc_counter = 0;
  int32_t fc_fps = 0;
  void Reset(int64_t now);
  // After one step's wait: the frame that ended at now was followed by a wait of delay.
  void Advance(int64_t now, int64_t delay);
};

} // namespace vl
