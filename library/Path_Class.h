#pragma once
// CPath: a list of way points joined by straight lines or a smoothed curve, open or closed, with the
// position lookup by fraction of the length; and the table of path resources.

#include "data/Resource_Table.h"

#include <cstdint>
#include <vector>

namespace vl {

struct RWayPoint {
  double x = 0;
  double y = 0;
  double speed = 100;
};

// A computed point; l is the length of the path from its start to this point.
struct RIntPoint {
  double x = 0;
  double y = 0;
  double speed = 100;
  double l = 0;
};

class CPath {
public:
  static constexpr int32_t kVersion = 530;

  void Clear();
  void Assign(const CPath& other);
  // False on a wrong record version.
  bool LoadFromStream(CStream& stream);

  void SetKind(int32_t kind);
  void SetClosed(bool closed);
  void SetPrecision(int32_t precision);
  int32_t AddPoint(double x, double y, double speed);
  void InsertPoint(int32_t ind, double x, double y, double speed);
  void ChangePoint(int32_t ind, double x, double y, double speed);
  void DeletePoint(int32_t ind);
  // The defined point, or (0, 0, speed 1) outside the range.
  RWayPoint Point(int32_t ind) const;
  int32_t Count() const { return int32_t(i_points.size()); }
  int32_t IntCount() const { return int32_t(i_intpoints.size()); }

  // The point at fraction t of the length (speed is the interpolated speed factor).
  RWayPoint GetPosition(double t) const;
  double XPosition(double t) const { return GetPosition(t).x; }
  double YPosition(double t) const { return GetPosition(t).y; }
  double Speed(double t) const { return GetPosition(t).speed; }
  // The middle of the bounding box of the defined points.
  void Center(double& x, double& y) const;

  void Reverse();
  void Mirror();
  void Flip();
  void Rotate(double angle);
  void Scale(double xscale, double yscale);
  void Shift(double dx, double dy);
  void Append(const CPath& other);

  std::vector<RWayPoint> i_points;
  int32_t i_kind = 0;
  bool i_closed = true;
  int32_t i_precision = 4;
  std::vector<RIntPoint> i_intpoints;
  double i_length = 0;

private:
  void Rebuild();
  void AddIntPoint(const RWayPoint& p);
  void Subdivide(int32_t depth, const RWayPoint& s, const RWayPoint& c, const RWayPoint& e);
};

// The path resources; new paths are named "__newpath" and their index.
class CPathList : public CResourceTable<CPath> {
public:
  CPathList() : CResourceTable({.rk_newname = "__newpath"}) {}
};

CPathList& Paths();

} // namespace vl
