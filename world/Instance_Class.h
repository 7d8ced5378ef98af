#pragma once
// CInstance: one living copy of an object in a room: position, the coupled motion properties,
// sprite and image state, the bounding box, alarms, path following, time-line state and its own
// variables; its motion steps, shape tests and saved form.

#include "script/Variable_Class.h"
#include "world/Sprite_Shape.h"

#include <array>
#include <cstdint>
#include <string>

namespace vl {

class CInstance;
class CObject;
class CStream;

constexpr int32_t kAlarms = 12;
// The box of an instance without a shape sprite: far outside every room, so it never collides.
constexpr int32_t kNoBox = -100000;

// Told of every change of an instance's bounding box while installed: the collision pass keeps its
// broad phase current through it while events move instances.
class CBoxWatch {
public:
  virtual ~CBoxWatch() = default;
  virtual void BoxChanged(const CInstance& inst) = 0;
};

// Null: nobody is told.
void SetBoxWatch(CBoxWatch* watch);

class CInstance {
public:
  enum : int32_t { kPathStop = 0, kPathRestart = 1, kPathContinue = 2, kPathReverse = 3 };

  CInstance() = default;
  CInstance(int32_t id, int32_t objectind, double x, double y) { Create(id, objectind, x, y); }
  void Create(int32_t id, int32_t objectind, double x, double y);
  // Copies every field and the variables, except the path start point, which stays.
  void Assign(const CInstance& other);
  void SaveToStream(CStream& stream) const;
  // Sets the fields as stored; the stored box is kept.
  void LoadFromStream(CStream& stream);

  // The object, looked up by index so that a deleted object is never reached; null when absent.
  CObject* Object() const;
  // The number of images of the sprite, 0 without sprite.
  int32_t ImageNumber() const;

  // Coupled properties.
  void SetSpriteIndex(int32_t v);
  void SetMaskIndex(int32_t v);
  void SetImageScaleX(double v);
  void SetImageScaleY(double v);
  void SetImageAngle(double v);
  void SetObjectIndex(int32_t v);
  void SetDirection(double v);
  void SetSpeed(double v);
  void SetHSpeed(double v);
  void SetVSpeed(double v);
  void SetPathPosition(double v);
  void SetPathPositionPrevious(double v);
  void SetPosition(double x, double y);

  int32_t GetAlarm(int32_t i) const { return i >= 0 && i < kAlarms ? i_timer[size_t(i)] : -1; }
  void SetAlarm(int32_t i, int32_t value) {
    if (i >= 0 && i < kAlarms) i_timer[size_t(i)] = value;
  }

  // Motion.
  void AddTo_Speed(double amount, double dir);
  void Adapt_Speed();
  void Assign_Path(int32_t path, double speed, int32_t endaction, bool absolute, double scale,
                   double orientation);
  // True when an end of the path was reached in this step.
  bool Adapt_Path();

  // Shape tests; prec asks for the mask test after the box test.
  bool Collision_Point(bool prec, double x, double y) const;
  bool Collision_Rectangle(bool prec, double x1, double y1, double x2, double y2) const;
  bool Collision_Ellipse(bool prec, double x1, double y1, double x2, double y2) const;
  bool Collision_Line(bool prec, double x1, double y1, double x2, double y2) const;
  bool Collision_Instance(const CInstance& other, bool prec) const;
  // Whether the instance has a shape (a sprite or mask sprite, or a box of its own from a saved
  // game); the others are tested by their position, and never collide.
  bool HasShape() const;

  void Update_BBox();
  void Update_DirectionSpeed();
  void Update_HVSpeed();

  int32_t i_id = 0;
  int32_t i_spriteindex = -1;
  double i_imageindex = 0;
  double i_imagespeed = 1;
  double i_imagescalex = 1;
  double i_imagescaley = 1;
  double i_imageangle = 0;
  double i_imagealpha = 1;
  uint32_t i_imageblend = 0xFFFFFF;
  int32_t i_maskindex = -1;
  double i_depth = 0;
  double i_x = 0, i_y = 0;
  double i_xstart = 0, i_ystart = 0;
  double i_xprevious = 0, i_yprevious = 0;
  double i_direction = 0;
  double i_speed = 0;
  double i_friction = 0;
  double i_gravitydir = 270;
  double i_gravity = 0;
  double i_hspeed = 0, i_vspeed = 0;
  RBounds i_bbox{kNoBox, kNoBox, kNoBox, kNoBox};
  bool i_visible = true;
  bool i_solid = false;
  bool i_persistent = false;
  int32_t i_objectindex = -1;
  std::array<int32_t, kAlarms> i_timer{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  CVariableList i_vars;
  bool i_marked = false;
  bool i_deactivated = false;
  int32_t i_pathindex = -1;
  double i_pathposition = 0;
  double i_pathpositionprevious = 0;
  double i_pathspeed = 0;
  double i_pathscale = 1;
  double i_pathorientation = 0;
  int32_t i_pathend = kPathStop;
  double i_pathxstart = 0, i_pathystart = 0;
  int32_t i_timelineindex = -1;
  double i_timelineposition = 0;
  double i_timelinespeed = 1;
  bool i_timelinerunning = false;
  bool i_timelineloop = false;
  std::string i_initcode;

private:
  void ComputeBBox();
  // The shape sprite and its shape; false when it does not exist.
  bool ShapeSprite(int32_t& sprite, RSpriteShape& shape) const;
  // Where the mask lies for a precise test; false when there is no shape sprite with an image.
  bool MaskPlace(RMaskPlace& place) const;
  bool BoxRectangle(double x1, double y1, double x2, double y2) const;
};

} // namespace vl
