#include "world/TimeLine_Class.h"

#include "data/Support_Stream.h"
#include "world/World_Report.h"

namespace vl {

bool CTimeLine::LoadFromStream(CStream& stream) {
  Clear();
  if (stream.ReadInteger() != kVersion) return false;
  // One moment at a time: a damaged count ends in a read error, not in a huge table.
  for (int32_t i = 0, count = stream.ReadInteger(); i < count; ++i) {
    RMoment& moment = s_moments.emplace_back();
    moment.m_step = stream.ReadInteger();
    moment.m_event.LoadFromStream(stream);
  }
  return true;
}

bool CTimeLine::Compile() {
  RCurrentEvent& current = CurrentEvent();
  current.event_type = kTimeLineEvent;
  for (RMoment& moment : s_moments) {
    current.event_number = moment.m_step;
    if (!moment.m_event.Compile()) return false;
  }
  return true;
}

bool CTimeLineTable::CompileAll() {
  for (int32_t i = 0; i < Count(); ++i) {
    if (!t_items[size_t(i)]) continue;
    CurrentEvent().event_object = i;
    if (!t_items[size_t(i)]->Compile()) return false;
  }
  return true;
}

CTimeLineTable& TimeLines() {
  static CTimeLineTable table;
  return table;
}

} // namespace vl
