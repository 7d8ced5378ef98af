#pragma once
// CCollisionGrid: the instances of one object's list placed in a uniform grid by their bounding
// boxes, so that the collision pass asks only the instances near a box instead of every one. It
// answers by list position and is kept current as instances move and the list grows.

#include "world/Instance_Class.h"

#include <cstdint>
#include <vector>

namespace vl {

class CCollisionGrid {
public:
  // Places the instances of list, with a cell size and an area fitted to their boxes.
  void Build(const std::vector<CInstance*>& list);
  // Places the instances appended to list since it was built or last synced.
  void Sync(const std::vector<CInstance*>& list);
  // The instance at position moved or changed its shape: it is placed anew.
  void Moved(const CInstance& inst, int32_t position);
  // The positions in [from, to) of the instances whose boxes may meet box (every one that does),
  // ascending. Sync first.
  void Candidates(const RBounds& box, int32_t from, int32_t to, std::vector<int32_t>& out);
  int32_t Synced() const { return int32_t(g_place.size()); }

private:
  // Where an instance is: the cells it covers, or none (no shape), or the list of large boxes.
  struct RPlace {
    int32_t p_x0 = 0, p_y0 = 0, p_x1 = -1, p_y1 = -1;
    bool p_large = false;
  };

  RPlace PlaceOf(const CInstance& inst) const;
  void Span(const RBounds& box, int32_t& x0, int32_t& y0, int32_t& x1, int32_t& y1) const;
  void Insert(int32_t position, const RPlace& place);
  void Remove(int32_t position, const RPlace& place);
  std::vector<int32_t>& Cell(int32_t x, int32_t y) { return g_cells[size_t(y) * size_t(g_nx) + size_t(x)]; }

  int32_t g_shift = 5;        // cells are 2^g_shift units wide and high
  int64_t g_ox = 0, g_oy = 0; // the cell coordinates of cell (0, 0); cells beyond clamp to the edge
  int32_t g_nx = 1, g_ny = 1;
  std::vector<std::vector<int32_t>> g_cells;
  std::vector<int32_t> g_large;
  std::vector<RPlace> g_place; // by list position
  std::vector<uint32_t> g_seen;
  uint32_t g_stamp = 0;
};

} // namespace vl
