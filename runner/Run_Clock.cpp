#include "runner/Run_Clock.h"

#include "platform/Platform.h"
#include "runner/IO_Main.h"

#include <algorithm>

namespace vl {

namespace {

constexpr int64_t kSecond = 1000000;
int64_t TimerBase = 0;

} // namespace

void Timer_Reset() {
  TimerBase = Clock().Microseconds();
}

int64_t Timer_Now() {
  return Clock().Microseconds() - TimerBase;
}

void Timer_Wait(int64_t delay) {
  if (delay <= 0) return;
  TClock& clock = Clock();
  const int64_t start = Timer_Now(), target = start + delay;
  if (delay >= 2000) clock.SleepMicroseconds((delay - 1000) / 1000 * 1000);
  for (int64_t now = Timer_Now(); now < target && now >= start; now = Timer_Now()) {
    IO_Pump();
    if (clock.IsVirtual()) clock.SleepMicroseconds(target - now);
  }
}

int64_t Frame_Delay(int32_t speed, int64_t now, int64_t last) {
  const int64_t delay = kSecond / std::max(speed, 1) - (now - last);
  return std::clamp<int64_t>(delay, 0, kSecond);
}

void RFrameCount::Reset(int64_t now) {
  fc_last = fc_secondstart = now;
  fc_counter = fc_fps = 0;
}

void RFrameCount::Advance(int64_t now, int64_t delay) {
  fc_last = now + delay;
  if (fc_last < fc_secondstart) fc_secondstart = fc_last;
  if (fc_last / kSecond > fc_secondstart / kSecond) {
    fc_fps = fc_counter;
    fc_counter = 0;
    fc_secondstart = fc_last;
  }
  ++fc_counter;
}

} // namespace vl
