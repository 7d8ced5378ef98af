#include "world/TimeLine_Class.h"

#include "data/Support_Stream.h"
#include "world/World_Report.h"

#include <algorithm>

namespace vl {

namespace {

bool StepBelow(const CTimeLine::RMoment& moment, double position) {
  return moment.m_step < position;
}

bool PositionBelow(double position, const CTimeLine::RMoment& moment) {
  return position < moment.m_step;
}

} // namespace

bool CTimeLine::LoadFromStream(CStream& stream) {
  Clear();
  if (stream.ReadInteger() != kVersion) return false;
  // One moment at a time: a damaged count ends in a read error, not in a huge table.
  for (int32_t i = 0, count = stream.ReadInteger(); i < count; ++i) {
    RMoment& moment = s_moments.emplace_back();
    moment.m_step = stream.ReadInteger();
    moment.m_event->LoadFromStream(stream);
  }
  return true;
}

bool CTimeLine::Compile() {
  RCurrentEvent& current = CurrentEvent();
  current.event_type = kTimeLineEvent;
  for (RMoment& moment : s_moments) {
    current.event_number = moment.m_step;
    if (!moment.m_event->Compile()) return false;
  }
  return true;
}

int32_t CTimeLine::Find(int32_t step) const {
  const int32_t at = FindLarger(step);
  return at >= 0 && at < Count() && s_moments[size_t(at)].m_step == step ? at : -1;
}

int32_t CTimeLine::FindLarger(double position) const {
  if (s_moments.empty()) return -1;
  return int32_t(std::lower_bound(s_moments.begin(), s_moments.end(), position, StepBelow) -
                 s_moments.begin());
}

int32_t CTimeLine::FindSmaller(double position) const {
  if (s_moments.empty()) return -1;
  return int32_t(std::upper_bound(s_moments.begin(), s_moments.end(), position, PositionBelow) -
                 s_moments.begin()) -
         1;
}

CTimeLine::RMoment& CTimeLine::AddMoment(int32_t step) {
  auto at = std::lower_bound(s_moments.begin(), s_moments.end(), double(step), StepBelow);
  if (at != s_moments.end() && at->m_step == step) return *at;
  return *s_moments.insert(at, RMoment{.m_step = step});
}

void CTimeLine::DeleteMoment(int32_t step) {
  if (const int32_t at = Find(step); at >= 0) s_moments.erase(s_moments.begin() + at);
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
