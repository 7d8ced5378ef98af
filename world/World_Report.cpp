#include "world/World_Report.h"

#include <cstdio>

namespace vl {

RCurrentEvent& CurrentEvent() {
  static RCurrentEvent current;
  return current;
}

RWorldReport& WorldReport() {
  static RWorldReport report;
  return report;
}

void ReportWorldError(const std::string& message, bool fatal) {
  if (WorldReport().wr_eventerror) return WorldReport().wr_eventerror(message, fatal);
  std::fprintf(stderr, "%s%s\n", fatal ? "FATAL " : "", message.c_str());
}

void ShowLoadMessage(const std::string& message) {
  if (WorldReport().wr_message) return WorldReport().wr_message(message);
  std::fprintf(stderr, "%s\n", message.c_str());
}

std::string TriggerName(int32_t n) {
  if (WorldReport().wr_triggername) return WorldReport().wr_triggername(n);
  return "<undefined>";
}

} // namespace vl
