#include "world/Collision_Grid.h"

#include <algorithm>
#include <bit>

namespace vl {

namespace {

// A box covering more cells than this is kept apart and offered to every query.
constexpr int64_t kLargeCells = 64;

} // namespace

void CCollisionGrid::Build(const std::vector<CInstance*>& list) {
  // The cell size follows the mean box extent; the area covers every box, with at most a few cells
  // per instance (boxes beyond it land in the edge cells, which stays correct).
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN, extent = 0, shaped = 0;
  for (const CInstance* inst : list) {
    if (!inst->HasShape()) continue;
    const RBounds& b = inst->i_bbox;
    left = std::min<int64_t>(left, std::min(b.left, b.right));
    right = std::max<int64_t>(right, std::max(b.left, b.right));
    top = std::min<int64_t>(top, std::min(b.top, b.bottom));
    bottom = std::max<int64_t>(bottom, std::max(b.top, b.bottom));
    extent += std::abs(int64_t(b.right) - b.left) + std::abs(int64_t(b.bottom) - b.top) + 2;
    ++shaped;
  }
  const uint64_t mean = shaped ? uint64_t(extent / (2 * shaped)) : 32;
  g_shift = std::clamp(int32_t(std::bit_width(std::max<uint64_t>(mean, 16) - 1)), 4, 30);
  if (!shaped) left = top = right = bottom = 0;
  const int64_t cellsWanted = 4 * int64_t(list.size()) + 16;
  for (;;) {
    g_ox = left >> g_shift;
    g_oy = top >> g_shift;
    const int64_t nx = (right >> g_shift) - g_ox + 1, ny = (bottom >> g_shift) - g_oy + 1;
    if (nx * ny <= cellsWanted || g_shift >= 30) {
      g_nx = int32_t(std::min<int64_t>(nx, cellsWanted));
      g_ny = int32_t(std::min<int64_t>(ny, cellsWanted));
      break;
    }
    ++g_shift;
  }
  g_cells.assign(size_t(g_nx) * size_t(g_ny), {});
  g_large.clear();
  g_place.clear();
  g_seen.clear();
  g_stamp = 0;
  Sync(list);
}

void CCollisionGrid::Sync(const std::vector<CInstance*>& list) {
  for (size_t position = g_place.size(); position < list.size(); ++position) {
    g_place.push_back(PlaceOf(*list[position]));
    g_seen.push_back(0);
    Insert(int32_t(position), g_place.back());
  }
}

void CCollisionGrid::Span(const RBounds& box, int32_t& x0, int32_t& y0, int32_t& x1, int32_t& y1) const {
  auto cell = [&](int32_t v, int64_t origin, int32_t count) {
    return int32_t(std::clamp<int64_t>((int64_t(v) >> g_shift) - origin, 0, count - 1));
  };
  x0 = cell(std::min(box.left, box.right), g_ox, g_nx);
  x1 = cell(std::max(box.left, box.right), g_ox, g_nx);
  y0 = cell(std::min(box.top, box.bottom), g_oy, g_ny);
  y1 = cell(std::max(box.top, box.bottom), g_oy, g_ny);
}

CCollisionGrid::RPlace CCollisionGrid::PlaceOf(const CInstance& inst) const {
  RPlace place;
  if (!inst.HasShape()) return place;
  Span(inst.i_bbox, place.p_x0, place.p_y0, place.p_x1, place.p_y1);
  place.p_large = int64_t(place.p_x1 - place.p_x0 + 1) * (place.p_y1 - place.p_y0 + 1) > kLargeCells;
  return place;
}

void CCollisionGrid::Insert(int32_t position, const RPlace& place) {
  if (place.p_large) return g_large.push_back(position);
  for (int32_t y = place.p_y0; y <= place.p_y1; ++y)
    for (int32_t x = place.p_x0; x <= place.p_x1; ++x) Cell(x, y).push_back(position);
}

void CCollisionGrid::Remove(int32_t position, const RPlace& place) {
  auto drop = [position](std::vector<int32_t>& from) {
    auto it = std::find(from.begin(), from.end(), position);
    if (it == from.end()) return;
    *it = from.back();
    from.pop_back();
  };
  if (place.p_large) return drop(g_large);
  for (int32_t y = place.p_y0; y <= place.p_y1; ++y)
    for (int32_t x = place.p_x0; x <= place.p_x1; ++x) drop(Cell(x, y));
}

void CCollisionGrid::Moved(const CInstance& inst, int32_t position) {
  if (position < 0 || position >= Synced()) return;
  RPlace& place = g_place[size_t(position)];
  const RPlace now = PlaceOf(inst);
  if (now.p_large == place.p_large && now.p_x0 == place.p_x0 && now.p_y0 == place.p_y0 &&
      now.p_x1 == place.p_x1 && now.p_y1 == place.p_y1)
    return;
  Remove(position, place);
  place = now;
  Insert(position, place);
}

void CCollisionGrid::Candidates(const RBounds& box, int32_t from, int32_t to, std::vector<int32_t>& out) {
  out.clear();
  to = std::min(to, Synced());
  if (from >= to) return;
  if (++g_stamp == 0) {
    std::fill(g_seen.begin(), g_seen.end(), 0);
    g_stamp = 1;
  }
  auto take = [&](int32_t position) {
    if (position < from || position >= to || g_seen[size_t(position)] == g_stamp) return;
    g_seen[size_t(position)] = g_stamp;
    out.push_back(position);
  };
  int32_t x0, y0, x1, y1;
  Span(box, x0, y0, x1, y1);
  for (int32_t y = y0; y <= y1; ++y)
    for (int32_t x = x0; x <= x1; ++x)
      for (int32_t position : Cell(x, y)) take(position);
  for (int32_t position : g_large) take(position);
  std::sort(out.begin(), out.end());
}

} // namespace vl
