#pragma once
// CPath: a list of way points joined by straight lines or a smoothed curve, open or closed, with the
// position lookup by fraction of the length; and the table of path resources.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

class CStream;

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

// The path resources; empty slots mean no path with that index.
class CPathList {
public:
  static constexpr int32_t kSectionVersion = 800;

  // Reads the paths section; false on a wrong version or a failing record.
  bool LoadSection(CStream& stream);
  void ClearAll();
  int32_t Count() const { return int32_t(p_paths.size()); }
  bool Exists(int32_t index) const { return Get(index) != nullptr; }
  CPath* Get(int32_t index) const;
  std::string Name(int32_t index) const;
  int32_t Find(std::string_view name) const;
  int32_t Add();
  int32_t Duplicate(int32_t index);
  bool AssignPath(int32_t index, int32_t source);
  void Delete(int32_t index);

  std::vector<std::unique_ptr<CPath>> p_paths;
  std::vector<std::string> p_names;
};

CPathList& Paths();

} // namespace vl
