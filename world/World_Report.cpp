#include "world/World_Report.h"

#include "platform/Platform.h"
#include "script/Code_Error.h"
#include "script/Trigger_Class.h"
#include "world/Event_Class.h"
#include "world/Object_Class.h"
#include "world/TimeLine_Class.h"

#include <fmt/format.h>

namespace vl {

RCurrentEvent& CurrentEvent() {
  static RCurrentEvent current;
  return current;
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
  Dialogs().ShowMessage(message);
}

std::string TriggerName(int32_t n) {
  return Triggers().Name(n);
}
std::string TimeLineName(int32_t n) {
  return TimeLines().Name(n);
}

} // namespace vl
