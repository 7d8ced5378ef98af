#include "world/Instance_Class.h"

#include "data/Support_Stream.h"
#include "library/Path_Class.h"
#include "world/Object_Class.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vl {

namespace {

constexpr double kSnap = 0.0001;
constexpr double kDegrees = std::numbers::pi / 180;

// Nearest integer, ties to even, kept inside the 32-bit range.
int32_t RoundInt(double v) {
  const double r = std::nearbyint(v);
  if (!(r > -2147483648.0)) return INT32_MIN;
  if (r > 2147483647.0) return INT32_MAX;
  return int32_t(r);
}

// A value within kSnap of an integer becomes that integer.
double Snap(double v) {
  const double r = std::round(v);
  return std::abs(v - r) < kSnap ? r : v;
}

double Reduce360(double v) {
  const double d = v - std::floor(v / 360) * 360;
  return d >= 360 ? 0 : d; // a tiny negative value would round up to 360
}

// The path vector (dx, dy) turned by orientation and scaled, as the instance moves along it.
void TurnAndScale(double dx, double dy, double orientation, double scale, double& x, double& y) {
  const double c = std::cos(orientation * kDegrees), s = std::sin(orientation * kDegrees);
  x = (c * dx + s * dy) * scale;
  y = (c * dy - s * dx) * scale;
}

// The path an instance follows, when it can be followed.
const CPath* FollowedPath(int32_t index) {
  const CPath* path = Paths().Get(index);
  return path && path->i_length > 0 ? path : nullptr;
}

CBoxWatch* BoxWatch = nullptr;

} // namespace

void SetBoxWatch(CBoxWatch* watch) {
  BoxWatch = watch;
}

void CInstance::Create(int32_t id, int32_t objectind, double x, double y) {
  SetObjectIndex(objectind);
  i_x = i_xstart = i_xprevious = x;
  i_y = i_ystart = i_yprevious = y;
  i_id = id;
  i_imageindex = 0;
  i_imagespeed = 1;
  i_imagescalex = i_imagescaley = 1;
  i_imageangle = 0;
  i_imagealpha = 1;
  i_imageblend = 0xFFFFFF;
  i_direction = i_speed = i_friction = i_gravity = i_hspeed = i_vspeed = 0;
  i_gravitydir = 270;
  i_timer.fill(-1);
  i_vars.Clear();
  i_marked = i_deactivated = false;
  i_pathindex = -1;
  i_pathposition = i_pathpositionprevious = i_pathspeed = 0;
  i_pathscale = 1;
  i_pathorientation = 0;
  i_pathend = kPathStop;
  i_pathxstart = i_pathystart = 0;
  i_timelineindex = -1;
  i_timelineposition = 0;
  i_timelinespeed = 1;
  i_timelinerunning = i_timelineloop = false;
  i_initcode.clear();
  Update_BBox();
}

void CInstance::Assign(const CInstance& other) {
  if (this == &other) return;
  const double xstart = i_pathxstart, ystart = i_pathystart;
  *this = other;
  i_pathxstart = xstart;
  i_pathystart = ystart;
}

void CInstance::SaveToStream(CStream& s) const {
  s.WriteInteger(i_id);
  s.WriteInteger(i_spriteindex);
  for (double v : {i_imageindex, i_imagespeed, i_imagescalex, i_imagescaley, i_imageangle, i_imagealpha})
    s.WriteReal(v);
  s.WriteInteger(int32_t(i_imageblend));
  s.WriteInteger(i_maskindex);
  for (double v : {i_depth, i_x, i_y, i_xstart, i_ystart, i_xprevious, i_yprevious, i_direction, i_speed,
                   i_friction, i_gravitydir, i_gravity, i_hspeed, i_vspeed})
    s.WriteReal(v);
  for (int32_t v : {i_bbox.left, i_bbox.right, i_bbox.top, i_bbox.bottom}) s.WriteInteger(v);
  s.WriteBoolean(i_visible);
  s.WriteBoolean(i_solid);
  s.WriteBoolean(i_persistent);
  s.WriteInteger(i_objectindex);
  for (int32_t alarm : i_timer) s.WriteInteger(alarm);
  s.WriteBoolean(i_marked);
  s.WriteBoolean(i_deactivated);
  s.WriteInteger(i_pathindex);
  for (double v : {i_pathposition, i_pathpositionprevious, i_pathspeed, i_pathscale, i_pathorientation})
    s.WriteReal(v);
  s.WriteInteger(i_pathend);
  s.WriteReal(i_pathxstart);
  s.WriteReal(i_pathystart);
  s.WriteInteger(i_timelineindex);
  s.WriteReal(i_timelineposition);
  s.WriteReal(i_timelinespeed);
  s.WriteBoolean(i_timelinerunning);
  s.WriteBoolean(i_timelineloop);
  s.WriteString(i_initcode);
  i_vars.SaveToStream(s);
}

void CInstance::LoadFromStream(CStream& s) {
  i_id = s.ReadInteger();
  i_spriteindex = s.ReadInteger();
  for (double* v :
       {&i_imageindex, &i_imagespeed, &i_imagescalex, &i_imagescaley, &i_imageangle, &i_imagealpha})
    *v = s.ReadReal();
  i_imageblend = uint32_t(s.ReadInteger());
  i_maskindex = s.ReadInteger();
  for (double* v : {&i_depth, &i_x, &i_y, &i_xstart, &i_ystart, &i_xprevious, &i_yprevious, &i_direction,
                    &i_speed, &i_friction, &i_gravitydir, &i_gravity, &i_hspeed, &i_vspeed})
    *v = s.ReadReal();
  for (int32_t* v : {&i_bbox.left, &i_bbox.right, &i_bbox.top, &i_bbox.bottom}) *v = s.ReadInteger();
  i_visible = s.ReadBoolean();
  i_solid = s.ReadBoolean();
  i_persistent = s.ReadBoolean();
  i_objectindex = s.ReadInteger();
  for (int32_t& alarm : i_timer) alarm = s.ReadInteger();
  i_marked = s.ReadBoolean();
  i_deactivated = s.ReadBoolean();
  i_pathindex = s.ReadInteger();
  for (double* v : {&i_pathposition, &i_pathpositionprevious, &i_pathspeed, &i_pathscale, &i_pathorientation})
    *v = s.ReadReal();
  i_pathend = s.ReadInteger();
  i_pathxstart = s.ReadReal();
  i_pathystart = s.ReadReal();
  i_timelineindex = s.ReadInteger();
  i_timelineposition = s.ReadReal();
  i_timelinespeed = s.ReadReal();
  i_timelinerunning = s.ReadBoolean();
  i_timelineloop = s.ReadBoolean();
  i_initcode = s.ReadString();
  i_vars.LoadFromStream(s);
}

CObject* CInstance::Object() const {
  return Objects().Get(i_objectindex);
}

int32_t CInstance::ImageNumber() const {
  RSpriteShape shape;
  const CSpriteShapes* shapes = SpriteShapes();
  return shapes && shapes->Shape(i_spriteindex, shape) ? shape.ss_images : 0;
}

// ---- Coupled properties -------------------------------------------------------------------------

void CInstance::SetSpriteIndex(int32_t v) {
  if (v == i_spriteindex) return;
  i_spriteindex = v;
  if (std::floor(i_imageindex) >= ImageNumber()) i_imageindex = 0;
  Update_BBox();
}

void CInstance::SetMaskIndex(int32_t v) {
  if (v == i_maskindex) return;
  i_maskindex = v;
  Update_BBox();
}

void CInstance::SetImageScaleX(double v) {
  if (v == i_imagescalex) return;
  i_imagescalex = v;
  Update_BBox();
}

void CInstance::SetImageScaleY(double v) {
  if (v == i_imagescaley) return;
  i_imagescaley = v;
  Update_BBox();
}

void CInstance::SetImageAngle(double v) {
  if (v == i_imageangle) return;
  i_imageangle = v;
  Update_BBox();
}

void CInstance::SetObjectIndex(int32_t v) {
  if (v == i_objectindex) return;
  i_objectindex = v;
  if (const CObject* object = Object()) {
    SetSpriteIndex(object->o_spriteindex);
    i_maskindex = object->o_mask;
    i_depth = object->o_depth;
    i_solid = object->o_solid;
    i_visible = object->o_visible;
    i_persistent = object->o_persistent;
  }
  Update_BBox();
}

void CInstance::SetDirection(double v) {
  if (v == i_direction) return;
  i_direction = Reduce360(v);
  Update_HVSpeed();
}

void CInstance::SetSpeed(double v) {
  if (v == i_speed) return;
  i_speed = v;
  Update_HVSpeed();
}

void CInstance::SetHSpeed(double v) {
  if (v == i_hspeed) return;
  i_hspeed = v;
  Update_DirectionSpeed();
}

void CInstance::SetVSpeed(double v) {
  if (v == i_vspeed) return;
  i_vspeed = v;
  Update_DirectionSpeed();
}

void CInstance::SetPathPosition(double v) {
  i_pathposition = v >= 0 ? std::min(v, 1.0) : 0;
}

void CInstance::SetPathPositionPrevious(double v) {
  i_pathpositionprevious = v >= 0 ? std::min(v, 1.0) : 0;
}

void CInstance::SetPosition(double x, double y) {
  if (x == i_x && y == i_y) return;
  i_x = x;
  i_y = y;
  Update_BBox();
}

void CInstance::Update_HVSpeed() {
  const double a = i_direction * kDegrees;
  i_hspeed = Snap(std::cos(a) * i_speed);
  i_vspeed = Snap(-std::sin(a) * i_speed);
}

void CInstance::Update_DirectionSpeed() {
  if (i_hspeed != 0) {
    const double a = std::atan2(i_vspeed, i_hspeed) / kDegrees;
    i_direction = a > 0 ? 360 - a : -a;
  } else {
    i_direction = i_vspeed > 0 ? 270 : i_vspeed < 0 ? 90 : 0;
  }
  i_direction = Reduce360(Snap(i_direction));
  i_speed = Snap(std::sqrt(i_hspeed * i_hspeed + i_vspeed * i_vspeed));
}

void CInstance::Update_BBox() {
  const RBounds before = i_bbox;
  ComputeBBox();
  if (BoxWatch && (before.left != i_bbox.left || before.top != i_bbox.top || before.right != i_bbox.right ||
                   before.bottom != i_bbox.bottom))
    BoxWatch->BoxChanged(*this);
}

void CInstance::ComputeBBox() {
  int32_t sprite;
  RSpriteShape shape;
  if (!ShapeSprite(sprite, shape)) {
    i_bbox = {kNoBox, kNoBox, kNoBox, kNoBox};
    return;
  }
  const RBounds& b = shape.ss_bbox;
  const double ox = shape.ss_xorigin, oy = shape.ss_yorigin;
  const double sx = i_imagescalex, sy = i_imagescaley;
  if (i_imageangle == 0) {
    i_bbox.left = RoundInt((b.left - ox) * sx + i_x);
    i_bbox.right = RoundInt((b.right - ox + 1) * sx + i_x - 1);
    if (i_bbox.right < i_bbox.left) std::swap(i_bbox.left, i_bbox.right);
    i_bbox.top = RoundInt((b.top - oy) * sy + i_y);
    i_bbox.bottom = RoundInt(i_y + sy * (b.bottom - oy + 1) - 1);
    if (i_bbox.bottom < i_bbox.top) std::swap(i_bbox.top, i_bbox.bottom);
    return;
  }
  const double c = std::cos(i_imageangle * kDegrees), s = std::sin(i_imageangle * kDegrees);
  const double a1 = (std::min(b.left, b.right) - ox) * sx;
  const double a2 = (std::max(b.left, b.right) - ox + 1) * sx - 1;
  const double b1 = (std::min(b.top, b.bottom) - oy) * sy;
  const double b2 = (std::max(b.top, b.bottom) - oy + 1) * sy - 1;
  i_bbox.left = RoundInt(i_x + std::min(c * a1, c * a2) + std::min(s * b1, s * b2));
  i_bbox.right = RoundInt(i_x + std::max(c * a1, c * a2) + std::max(s * b1, s * b2));
  i_bbox.top = RoundInt(i_y + std::min(c * b1, c * b2) - std::max(s * a1, s * a2));
  i_bbox.bottom = RoundInt(i_y + std::max(c * b1, c * b2) - std::min(s * a1, s * a2));
}

// ---- Motion -------------------------------------------------------------------------------------

void CInstance::AddTo_Speed(double amount, double dir) {
  i_hspeed += std::cos(dir * kDegrees) * amount;
  i_vspeed -= std::sin(dir * kDegrees) * amount;
  Update_DirectionSpeed();
}

void CInstance::Adapt_Speed() {
  if (i_friction != 0) {
    const double n = i_speed > 0 ? i_speed - i_friction : i_speed + i_friction;
    if ((i_speed > 0 && n < 0) || (i_speed < 0 && n > 0))
      SetSpeed(0);
    else if (i_speed != 0)
      SetSpeed(n);
  }
  if (i_gravity != 0) AddTo_Speed(i_gravity, i_gravitydir);
}

void CInstance::Assign_Path(int32_t path, double speed, int32_t endaction, bool absolute, double scale,
                            double orientation) {
  i_pathindex = path;
  if (path < 0) return;
  const CPath* p = FollowedPath(path);
  if (!p || scale < 0) {
    i_pathindex = -1;
    return;
  }
  i_pathspeed = speed;
  i_pathposition = i_pathpositionprevious = speed < 0 ? 1 : 0;
  i_pathscale = scale;
  i_pathorientation = orientation;
  i_pathend = endaction;
  if (absolute) {
    const RWayPoint at = p->GetPosition(speed < 0 ? 1 : 0);
    SetPosition(at.x, at.y);
    // An absolute path stays where it lies, also when followed backwards from its end.
    const RWayPoint start = p->GetPosition(0);
    i_pathxstart = start.x;
    i_pathystart = start.y;
  } else {
    // A relative path starts at the instance, whichever way it is followed: backwards, the first
    // step goes to the end point of the path moved there.
    i_pathxstart = i_x;
    i_pathystart = i_y;
  }
}

bool CInstance::Adapt_Path() {
  if (i_pathindex < 0 || i_pathspeed == 0) return false;
  const CPath* path = FollowedPath(i_pathindex);
  if (!path) return false;

  const double f = path->GetPosition(i_pathposition).speed;
  i_pathposition += i_pathspeed * (f / (i_pathscale * 100)) / path->i_length;

  const RWayPoint start = path->GetPosition(0);
  bool reached = false;
  if (i_pathposition >= 1 || i_pathposition <= 0) {
    reached = true;
    // The side reached decides: an instance moving backwards that lands exactly on 0 is at the start.
    const bool atend = i_pathposition >= 1;
    switch (i_pathend) {
    case kPathRestart: i_pathposition += atend ? -1 : 1; break;
    case kPathContinue: {
      const RWayPoint end = path->GetPosition(1);
      double dx, dy;
      TurnAndScale(end.x - start.x, end.y - start.y, i_pathorientation, i_pathscale, dx, dy);
      const double sign = atend ? 1 : -1;
      i_pathxstart += sign * dx;
      i_pathystart += sign * dy;
      i_pathposition -= sign;
      break;
    }
    case kPathReverse:
      if (atend) {
        i_pathposition = 2 - i_pathposition;
        i_pathspeed = -std::abs(i_pathspeed);
      } else {
        i_pathposition = -i_pathposition;
        i_pathspeed = std::abs(i_pathspeed);
      }
      break;
    default:
      i_pathposition = 1;
      i_pathindex = -1;
      break;
    }
  }

  const RWayPoint at = path->GetPosition(i_pathposition);
  double dx, dy;
  TurnAndScale(at.x - start.x, at.y - start.y, i_pathorientation, i_pathscale, dx, dy);
  const double nx = dx + i_pathxstart, ny = dy + i_pathystart;
  // The hspeed and vspeed setters in one: direction and speed depend only on the final pair.
  const double h = nx - i_x, v = ny - i_y;
  if (h != i_hspeed || v != i_vspeed) {
    i_hspeed = h;
    i_vspeed = v;
    Update_DirectionSpeed();
  }
  SetSpeed(0);
  SetPosition(nx, ny);
  return reached;
}

// ---- Shape tests --------------------------------------------------------------------------------

bool CInstance::ShapeSprite(int32_t& sprite, RSpriteShape& shape) const {
  sprite = i_maskindex >= 0 ? i_maskindex : i_spriteindex;
  const CSpriteShapes* shapes = SpriteShapes();
  return shapes && shapes->Shape(sprite, shape);
}

bool CInstance::MaskPlace(RMaskPlace& place) const {
  RSpriteShape shape;
  if (!ShapeSprite(place.mp_sprite, shape) || shape.ss_images < 1) return false;
  place.mp_image = RoundInt(std::floor(i_imageindex));
  place.mp_bbox = i_bbox;
  place.mp_x = RoundInt(i_x);
  place.mp_y = RoundInt(i_y);
  place.mp_xscale = i_imagescalex;
  place.mp_yscale = i_imagescaley;
  place.mp_angle = i_imageangle;
  return true;
}

bool CInstance::HasShape() const {
  if (i_bbox.left != kNoBox || i_bbox.top != kNoBox || i_bbox.right != kNoBox || i_bbox.bottom != kNoBox)
    return true;
  int32_t sprite;
  RSpriteShape shape;
  return ShapeSprite(sprite, shape);
}

bool CInstance::BoxRectangle(double x1, double y1, double x2, double y2) const {
  const double minx = std::min(x1, x2), maxx = std::max(x1, x2);
  const double miny = std::min(y1, y2), maxy = std::max(y1, y2);
  return HasShape() && minx < i_bbox.right + 1 && maxx >= i_bbox.left && miny < i_bbox.bottom + 1 &&
         maxy >= i_bbox.top;
}

bool CInstance::Collision_Point(bool prec, double x, double y) const {
  if (i_marked || !HasShape()) return false;
  if (!(x >= i_bbox.left && x < i_bbox.right + 1 && y >= i_bbox.top && y < i_bbox.bottom + 1)) return false;
  if (!prec) return true;
  RMaskPlace place;
  return MaskPlace(place) && SpriteShapes()->MaskPoint(place, RoundInt(x), RoundInt(y));
}

bool CInstance::Collision_Rectangle(bool prec, double x1, double y1, double x2, double y2) const {
  if (i_marked || !BoxRectangle(x1, y1, x2, y2)) return false;
  if (!prec) return true;
  RMaskPlace place;
  return MaskPlace(place) &&
         SpriteShapes()->MaskRectangle(place, RoundInt(x1), RoundInt(y1), RoundInt(x2), RoundInt(y2));
}

bool CInstance::Collision_Ellipse(bool prec, double x1, double y1, double x2, double y2) const {
  if (i_marked || !BoxRectangle(x1, y1, x2, y2)) return false;
  const int32_t rx1 = RoundInt(x1), ry1 = RoundInt(y1), rx2 = RoundInt(x2), ry2 = RoundInt(y2);
  if (rx1 == rx2 || ry1 == ry2) return Collision_Rectangle(prec, x1, y1, x2, y2);
  const double cx = (double(rx1) + rx2) / 2, cy = (double(ry1) + ry2) / 2;
  const double rx = std::abs(double(rx2) - rx1) / 2, ry = std::abs(double(ry2) - ry1) / 2;
  auto inside = [&](double px, double py) {
    return (px - cx) * (px - cx) / (rx * rx) + (py - cy) * (py - cy) / (ry * ry) <= 1;
  };
  const RBounds& b = i_bbox;
  const bool xout = cx < b.left || cx > b.right;
  const bool yout = cy < b.top || cy > b.bottom;
  if (xout && yout && !inside(b.left, b.top) && !inside(b.right, b.top) && !inside(b.left, b.bottom) &&
      !inside(b.right, b.bottom))
    return false;
  if (!prec) return true;
  RMaskPlace place;
  return MaskPlace(place) && SpriteShapes()->MaskEllipse(place, rx1, ry1, rx2, ry2);
}

bool CInstance::Collision_Line(bool prec, double x1, double y1, double x2, double y2) const {
  if (i_marked || !HasShape()) return false;
  const RBounds& b = i_bbox;
  const double left = b.left, right = b.right + 1.0, top = b.top, bottom = b.bottom + 1.0;
  if (!(std::min(x1, x2) < right && std::max(x1, x2) >= left && std::min(y1, y2) < bottom &&
        std::max(y1, y2) >= top))
    return false;
  double ax = x1, ay = y1, bx = x2, by = y2;
  if (bx < ax) std::swap(ax, bx), std::swap(ay, by);
  if (bx > ax) {
    const double slope = (by - ay) / (bx - ax);
    if (ax < left) ay += (left - ax) * slope, ax = left;
    if (bx > right) by -= (bx - right) * slope, bx = right;
  }
  if ((ay < top && by < top) || (ay >= bottom && by >= bottom)) return false;
  if (!prec) return true;
  RMaskPlace place;
  return MaskPlace(place) &&
         SpriteShapes()->MaskLine(place, RoundInt(x1), RoundInt(y1), RoundInt(x2), RoundInt(y2));
}

bool CInstance::Collision_Instance(const CInstance& other, bool prec) const {
  if (&other == this || i_marked || other.i_marked || !HasShape() || !other.HasShape()) return false;
  const RBounds &a = i_bbox, &b = other.i_bbox;
  if (!(b.left < a.right + 1 && a.left < b.right + 1 && b.top < a.bottom + 1 && a.top < b.bottom + 1))
    return false;
  if (!prec) return true;
  RMaskPlace mine, theirs;
  return MaskPlace(mine) && other.MaskPlace(theirs) && SpriteShapes()->MaskInstance(mine, theirs);
}

} // namespace vl
