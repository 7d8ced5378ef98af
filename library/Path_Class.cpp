#include "library/Path_Class.h"

#include "data/Support_Stream.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vl {

namespace {

constexpr int32_t kMaxPrecision = 8;
// Curve pieces shorter than this (squared, in pixels) are not split further.
constexpr double kMinSplit = 16;

RWayPoint Mid(const RWayPoint& a, const RWayPoint& b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.speed + b.speed) / 2};
}

double SquaredDistance(const RWayPoint& a, const RWayPoint& b) {
  return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

} // namespace

void CPath::Clear() {
  i_points.clear();
  Rebuild();
}

void CPath::Assign(const CPath& other) {
  i_kind = other.i_kind;
  i_closed = other.i_closed;
  i_precision = other.i_precision;
  i_points = other.i_points;
  Rebuild();
}

bool CPath::LoadFromStream(CStream& stream) {
  if (stream.ReadInteger() != kVersion) return false;
  i_kind = stream.ReadInteger();
  if (i_kind != 1) i_kind = 0;
  i_closed = stream.ReadBoolean();
  i_precision = std::clamp(stream.ReadInteger(), 0, kMaxPrecision);
  const int32_t n = stream.ReadInteger();
  if (n < 0) return false;
  i_points.clear();
  for (int32_t i = 0; i < n; ++i) {
    RWayPoint p;
    p.x = stream.ReadReal();
    p.y = stream.ReadReal();
    p.speed = stream.ReadReal();
    i_points.push_back(p);
  }
  Rebuild();
  return true;
}

void CPath::SetKind(int32_t kind) {
  i_kind = kind == 1 ? 1 : 0;
  Rebuild();
}

void CPath::SetClosed(bool closed) {
  i_closed = closed;
  Rebuild();
}

void CPath::SetPrecision(int32_t precision) {
  i_precision = std::clamp(precision, 0, kMaxPrecision);
  Rebuild();
}

int32_t CPath::AddPoint(double x, double y, double speed) {
  i_points.push_back({x, y, speed});
  Rebuild();
  return Count() - 1;
}

void CPath::InsertPoint(int32_t ind, double x, double y, double speed) {
  if (ind < 0 || ind > Count()) return;
  i_points.insert(i_points.begin() + ind, RWayPoint{x, y, speed});
  Rebuild();
}

void CPath::ChangePoint(int32_t ind, double x, double y, double speed) {
  if (ind < 0 || ind >= Count()) return;
  i_points[size_t(ind)] = {x, y, speed};
  Rebuild();
}

void CPath::DeletePoint(int32_t ind) {
  if (ind < 0 || ind >= Count()) return;
  i_points.erase(i_points.begin() + ind);
  Rebuild();
}

RWayPoint CPath::Point(int32_t ind) const {
  if (ind < 0 || ind >= Count()) return {0, 0, 1};
  return i_points[size_t(ind)];
}

RWayPoint CPath::GetPosition(double t) const {
  if (i_intpoints.empty()) return {0, 0, 100};
  const RIntPoint& first = i_intpoints.front();
  if (i_intpoints.size() == 1 || i_length == 0 || !(t > 0)) return {first.x, first.y, first.speed};
  if (t >= 1) {
    const RIntPoint& last = i_intpoints.back();
    return {last.x, last.y, last.speed};
  }
  const double l = i_length * t;
  // Binary search for the last segment start at or before l; the final point never starts one.
  const size_t limit = i_intpoints.size() - 2;
  auto it = std::upper_bound(i_intpoints.begin() + 1, i_intpoints.begin() + ptrdiff_t(limit) + 1, l,
                             [](double v, const RIntPoint& p) { return v < p.l; });
  const size_t i = size_t(it - i_intpoints.begin()) - 1;
  const RIntPoint& a = i_intpoints[i];
  const RIntPoint& b = i_intpoints[i + 1];
  const double d = b.l - a.l;
  if (!(d > 0)) return {a.x, a.y, a.speed};
  const double f = (l - a.l) / d;
  return {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.speed + (b.speed - a.speed) * f};
}

void CPath::Center(double& x, double& y) const {
  x = 0;
  y = 0;
  if (i_points.empty()) return;
  double minx = i_points[0].x, maxx = minx, miny = i_points[0].y, maxy = miny;
  for (const RWayPoint& p : i_points) {
    minx = std::min(minx, p.x), maxx = std::max(maxx, p.x);
    miny = std::min(miny, p.y), maxy = std::max(maxy, p.y);
  }
  x = (minx + maxx) / 2;
  y = (miny + maxy) / 2;
}

void CPath::Reverse() {
  if (i_points.size() < 2) return;
  std::reverse(i_points.begin(), i_points.end());
  Rebuild();
}

void CPath::Mirror() {
  double cx, cy;
  Center(cx, cy);
  for (RWayPoint& p : i_points) p.x = 2 * cx - p.x;
  Rebuild();
}

void CPath::Flip() {
  double cx, cy;
  Center(cx, cy);
  for (RWayPoint& p : i_points) p.y = 2 * cy - p.y;
  Rebuild();
}

void CPath::Rotate(double angle) {
  double cx, cy;
  Center(cx, cy);
  const double a = angle * std::numbers::pi / 180;
  const double c = std::cos(a), s = std::sin(a);
  for (RWayPoint& p : i_points) {
    const double dx = p.x - cx, dy = p.y - cy;
    p.x = cx + dx * c + dy * s;
    p.y = cy + dy * c - dx * s;
  }
  Rebuild();
}

void CPath::Scale(double xscale, double yscale) {
  double cx, cy;
  Center(cx, cy);
  for (RWayPoint& p : i_points) {
    p.x = cx + (p.x - cx) * xscale;
    p.y = cy + (p.y - cy) * yscale;
  }
  Rebuild();
}

void CPath::Shift(double dx, double dy) {
  for (RWayPoint& p : i_points) p.x += dx, p.y += dy;
  Rebuild();
}

void CPath::Append(const CPath& other) {
  const std::vector<RWayPoint> copy = other.i_points; // other may be this path
  i_points.insert(i_points.end(), copy.begin(), copy.end());
  Rebuild();
}

void CPath::AddIntPoint(const RWayPoint& p) {
  i_intpoints.push_back({p.x, p.y, p.speed, 0});
}

void CPath::Subdivide(int32_t depth, const RWayPoint& s, const RWayPoint& c, const RWayPoint& e) {
  if (depth <= 0) return;
  const RWayPoint m{(s.x + 2 * c.x + e.x) / 4, (s.y + 2 * c.y + e.y) / 4,
                    (s.speed + 2 * c.speed + e.speed) / 4};
  if (SquaredDistance(c, s) > kMinSplit) Subdivide(depth - 1, s, Mid(s, c), m);
  AddIntPoint(m);
  if (SquaredDistance(c, e) > kMinSplit) Subdivide(depth - 1, m, Mid(c, e), e);
}

void CPath::Rebuild() {
  i_intpoints.clear();
  const size_t n = i_points.size();
  if (n > 0) {
    if (i_kind == 0) {
      for (const RWayPoint& p : i_points) AddIntPoint(p);
      if (i_closed) AddIntPoint(i_points[0]);
    } else {
      if (!i_closed) AddIntPoint(i_points[0]);
      const size_t curves = i_closed ? n : (n >= 3 ? n - 2 : 0);
      for (size_t k = 0; k < curves; ++k) {
        const RWayPoint& p0 = i_points[k % n];
        const RWayPoint& p1 = i_points[(k + 1) % n];
        const RWayPoint& p2 = i_points[(k + 2) % n];
        Subdivide(i_precision, Mid(p0, p1), p1, Mid(p1, p2));
      }
      if (i_closed) {
        if (!i_intpoints.empty()) i_intpoints.push_back(i_intpoints.front());
      } else {
        AddIntPoint(i_points[n - 1]);
      }
    }
  }
  i_length = 0;
  for (size_t i = 0; i < i_intpoints.size(); ++i) {
    if (i > 0) {
      const RIntPoint& a = i_intpoints[i - 1];
      RIntPoint& b = i_intpoints[i];
      i_length += std::hypot(b.x - a.x, b.y - a.y);
    }
    i_intpoints[i].l = i_length;
  }
}

// ---- The path table -----------------------------------------------------------------------------

CPathList& Paths() {
  static CPathList paths;
  return paths;
}

} // namespace vl
