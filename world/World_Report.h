#pragma once
// How the world reports to the runner: errors in the context of the event being run or compiled,
// messages shown while loading, and the names of triggers for event names. The runner installs
// its own reporting; until it does, reports go to the standard error stream.

#include <cstdint>
#include <string>

namespace vl {

// The event being run or compiled (type 100000 marks a time-line moment). Event dispatch saves and
// restores it around every event; compiling sets it so that errors name their place.
struct RCurrentEvent {
  int32_t event_object = -1;
  int32_t event_type = 0;
  int32_t event_number = 0;
  int32_t event_action = 0;
};

RCurrentEvent& CurrentEvent();

struct RWorldReport {
  // An error in the context of the current event; fatal errors end the game.
  void (*wr_eventerror)(const std::string& message, bool fatal) = nullptr;
  // A message box shown while loading.
  void (*wr_message)(const std::string& message) = nullptr;
  // The name of trigger n (for "Trigger Event: " names).
  std::string (*wr_triggername)(int32_t n) = nullptr;
};

RWorldReport& WorldReport();

void ReportWorldError(const std::string& message, bool fatal);
void ShowLoadMessage(const std::string& message);
std::string TriggerName(int32_t n);

} // namespace vl
