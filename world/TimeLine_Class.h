#pragma once
// CTimeLine: moments, each a step number with an event (an action list) that instances running the
// time line perform as they pass it; and the table of time line resources.

#include "data/Resource_Table.h"
#include "world/Event_Class.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vl {

class CTimeLine {
public:
  static constexpr int32_t kVersion = 500;

  struct RMoment {
    int32_t m_step = 0;
    // Shared: a moment being performed keeps its event alive while code deletes or clears the
    // moment, or the whole time line.
    std::shared_ptr<CEvent> m_event = std::make_shared<CEvent>();
  };

  void Clear() { s_moments.clear(); }
  // False on a wrong record version.
  bool LoadFromStream(CStream& stream);
  // Compiles every moment's event as the current event (time-line type, the moment's step).
  bool Compile();

  int32_t Count() const { return int32_t(s_moments.size()); }
  // The index of the moment with exactly that step, or -1.
  int32_t Find(int32_t step) const;
  // -1 without moments; else the first moment whose step is at least position (the count when
  // there is none).
  int32_t FindLarger(double position) const;
  // -1 without moments or when the first step is above position; else the last moment whose step
  // is at most position.
  int32_t FindSmaller(double position) const;
  // The moment at step, inserted in order when there is none yet.
  RMoment& AddMoment(int32_t step);
  // Removes the moment at exactly that step; nothing when there is none.
  void DeleteMoment(int32_t step);

  std::vector<RMoment> s_moments; // by step, ascending
};

// The time line resources; new ones are named "__newtimeline" and their index.
class CTimeLineTable : public CResourceTable<CTimeLine> {
public:
  CTimeLineTable() : CResourceTable({.rk_newname = "__newtimeline"}) {}
  // Compiles every time line as the current object; stops at the first failure.
  bool CompileAll();
};

CTimeLineTable& TimeLines();

} // namespace vl
