#include "world/Run_Handle_Collision.h"

#include "world/Collision_Grid.h"
#include "world/Event_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Run.h"

#include <memory>
#include <unordered_map>

namespace vl {

namespace {

std::vector<RCollisionPair> Pairs;

// Below this many instances of the second object, testing each one costs less than a grid.
constexpr size_t kGridFrom = 24;

// One pass over the pairs. It watches every box change while events run, so that the grids it
// has built answer for the instances as they are at each test.
class CCollisionPass final : public CBoxWatch {
public:
  CCollisionPass(CRoom& room, ECollisionSearch search) : m_room(room), m_search(search) { SetBoxWatch(this); }
  ~CCollisionPass() override { SetBoxWatch(nullptr); }
  CCollisionPass(const CCollisionPass&) = delete;
  CCollisionPass& operator=(const CCollisionPass&) = delete;

  void BoxChanged(const CInstance& inst) override {
    if (m_grids.empty()) return;
    auto it = m_where.find(&inst);
    if (it != m_where.end()) m_grids[size_t(it->second.w_grid)]->Moved(inst, it->second.w_position);
  }

  void Pair(int32_t first, int32_t second) {
    const int32_t count = m_room.Obj_Number(first);
    for (int32_t i = 0; i < count; ++i) {
      CInstance* a = m_room.Obj_Instance(first, i);
      if (!a || a->i_marked || !a->HasShape()) continue; // without a shape it meets nothing
      const int32_t from = first == second ? i + 1 : 0, to = m_room.Obj_Number(second);
      if (m_search == ECollisionSearch::Grid ||
          (m_search == ECollisionSearch::Auto && size_t(to) >= kGridFrom))
        Search(*a, second, from, to);
      else
        Scan(*a, second, from, to);
    }
  }

private:
  struct RWhere {
    int32_t w_grid;
    int32_t w_position;
  };

  void Scan(CInstance& a, int32_t second, int32_t from, int32_t to) {
    for (int32_t j = from; j < to; ++j) {
      CInstance* b = m_room.Obj_Instance(second, j);
      if (b && a.Collision_Instance(*b, true)) Meet(a, *b);
    }
  }

  // Asks the grid again after every meeting: the events may have moved anything.
  void Search(CInstance& a, int32_t second, int32_t from, int32_t to) {
    for (int32_t next = from; next < to && !a.i_marked;) {
      GridOf(second).Candidates(a.i_bbox, next, to, m_candidates);
      next = to;
      for (int32_t j : m_candidates) {
        CInstance* b = m_room.Obj_Instance(second, j);
        if (!b || !a.Collision_Instance(*b, true)) continue;
        Meet(a, *b);
        next = j + 1;
        break;
      }
    }
  }

  CCollisionGrid& GridOf(int32_t object) {
    if (m_version != m_room.r_listsversion) {
      // Instances left the lists or moved in them: the grids answer by position, so they start over.
      m_version = m_room.r_listsversion;
      m_gridof.clear();
      m_grids.clear();
      m_known.clear();
      m_where.clear();
    }
    if (size_t(object) >= m_gridof.size()) m_gridof.resize(size_t(object) + 1, -1);
    const std::vector<CInstance*>& list = m_room.ObjectList(object);
    int32_t& index = m_gridof[size_t(object)];
    if (index < 0) {
      index = int32_t(m_grids.size());
      m_grids.push_back(std::make_unique<CCollisionGrid>());
      m_grids.back()->Build(list);
      m_known.push_back(0);
    }
    CCollisionGrid& grid = *m_grids[size_t(index)];
    grid.Sync(list);
    Register(index, list);
    return grid;
  }

  // The grid learns the instances of its list by position; the watch finds them by address.
  void Register(int32_t index, const std::vector<CInstance*>& list) {
    int32_t& known = m_known[size_t(index)];
    for (; known < int32_t(list.size()); ++known) m_where.emplace(list[size_t(known)], RWhere{index, known});
  }

  void Meet(CInstance& a, CInstance& b) {
    if (a.i_solid || b.i_solid) {
      Move_Back(a);
      Move_Back(b);
    }
    PerformEvent(&a, &b, ev_collision, b.i_objectindex);
    PerformEvent(&b, &a, ev_collision, a.i_objectindex);
    if (!a.i_solid && !b.i_solid) return;
    a.Adapt_Path();
    b.Adapt_Path();
    a.SetPosition(a.i_x + a.i_hspeed, a.i_y + a.i_vspeed);
    b.SetPosition(b.i_x + b.i_hspeed, b.i_y + b.i_vspeed);
    if (a.Collision_Instance(b, true)) {
      Move_Back(a);
      Move_Back(b);
    }
  }

  CRoom& m_room;
  ECollisionSearch m_search;
  uint64_t m_version = m_room.r_listsversion;
  std::vector<int32_t> m_gridof; // by object: its grid, or -1
  std::vector<std::unique_ptr<CCollisionGrid>> m_grids;
  std::vector<int32_t> m_known; // by grid: the list positions registered in m_where
  std::unordered_map<const CInstance*, RWhere> m_where;
  std::vector<int32_t> m_candidates;
};

} // namespace

void Build_CollisionPairs() {
  const CObjectTable& objects = Objects();
  const int32_t count = objects.Count();
  std::vector<bool> reacts(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i)
    reacts[size_t(i)] = objects.Exists(i) && objects.Get(i)->HasEventRecursive(ev_collision);
  Pairs.clear();
  for (int32_t i = 0; i < count; ++i) {
    if (!objects.Exists(i)) continue;
    for (int32_t j = i; j < count; ++j) {
      if (!objects.Exists(j) || (!reacts[size_t(i)] && !reacts[size_t(j)])) continue;
      if ((reacts[size_t(i)] && objects.Get(i)->GetEventRecursive(ev_collision, j)) ||
          (reacts[size_t(j)] && objects.Get(j)->GetEventRecursive(ev_collision, i)))
        Pairs.push_back({i, j});
    }
  }
}

const std::vector<RCollisionPair>& CollisionPairs() {
  return Pairs;
}

void Handle_Collisions(ECollisionSearch search) {
  CRoom* room = PlayState().ps_room;
  if (!room) return;
  CCollisionPass pass(*room, search);
  // By index: events may rebuild the pair list.
  for (size_t p = 0; p < Pairs.size(); ++p) {
    const RCollisionPair pair = Pairs[p];
    pass.Pair(pair.cp_first, pair.cp_second);
  }
}

void Move_Back(CInstance& inst) {
  inst.SetPosition(inst.i_xprevious, inst.i_yprevious);
  inst.SetPathPosition(inst.i_pathpositionprevious);
}

} // namespace vl
