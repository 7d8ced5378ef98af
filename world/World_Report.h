#pragma once
// How the world reports: errors in the context of the event being run or compiled, messages shown
// while loading, and the names of triggers and time lines that event headers use.

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

inline constexpr int32_t kTimeLineEvent = 100000;

// The header that places an error in the current event: action, event (or time-line moment) and
// object (or time line).
std::string EventErrorHeader(bool fatal);
// Reports an error with the header of the current event.
void ReportEventError(const std::string& message, bool fatal);
// A message box while loading.
void ShowLoadMessage(const std::string& message);
std::string TriggerName(int32_t n);
std::string TimeLineName(int32_t n);

} // namespace vl
