#include "world/World_Report.h"

#include "platform/Platform.h"
#include "script/Code_Error.h"
#include "world/Event_Class.h"
#include "world/Object_Class.h"

#include <cstdio>
#include <fmt/format.h>

namespace vl {

RCurrentEvent& CurrentEvent() {
  static RCurrentEvent current;
  return current;
}

RWorldNames& WorldNames() {
  static RWorldNames names;
  return names;
}

std::string EventErrorHeader(bool fatal) {
  const RCurrentEvent& ev = CurrentEvent();
  const char* prefix = fatal ? "FATAL " : "";
  if (ev.event_type == kTimeLineEvent)
    return fmt::format("{}ERROR in\r\naction number {}\r\nat time step {}\r\nof time line {}:\r\n\r\n",
                       prefix, ev.event_action + 1, ev.event_number, TimeLineName(ev.event_object));
  return fmt::format("{}ERROR in\r\naction number {}\r\nof {}\r\nfor object {}:\r\n\r\n", prefix,
                     ev.event_action + 1, EventName(ev.event_type, ev.event_number),
                     Objects().Name(ev.event_object));
}

void ReportEventError(const std::string& message, bool fatal) {
  ReportError(EventErrorHeader(fatal) + message, fatal);
}

void ShowLoadMessage(const std::string& message) {
  if (TPlatform* platform = ActivePlatform()) return platform->ShowMessage(message);
  std::fprintf(stderr, "%s\n", message.c_str());
}

std::string TriggerName(int32_t n) {
  return WorldNames().wn_trigger ? WorldNames().wn_trigger(n) : "<undefined>";
}
std::string TimeLineName(int32_t n) {
  return WorldNames().wn_timeline ? WorldNames().wn_timeline(n) : "<undefined>";
}

} // namespace vl
