#pragma once
// CTimeLine: moments, each a step number with an event (an action list) that instances running the
// time line perform as they pass it; and the table of time line resources.

#include "data/Resource_Table.h"
#include "world/Event_Class.h"

#include <cstdint>
#include <vector>

namespace vl {

class CTimeLine {
public:
  static constexpr int32_t kVersion = 500;

  struct RMoment {
    int32_t m_step = 0;
    CEvent m_event;
  };

  void Clear() { s_moments.clear(); }
  // False on a wrong record version.
  bool LoadFromStream(CStream& stream);
  // Compiles every moment's event as the current event (time-line type, the moment's step).
  bool Compile();

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
