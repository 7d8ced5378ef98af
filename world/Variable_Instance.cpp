// The built-in variables of the accessed instance, in identifier order 0 to 50.

#include "script/Code_Operator.h"
#include "script/Variable_BuiltIn.h"
#include "world/Instance_Class.h"
#include "world/Sprite_Shape.h"
#include "world/Variable_World.h"
#include "world/World_Report.h"

namespace vl {

namespace {

double Num(const RValue& v) {
  return v.IsReal() ? v.Real() : 0;
}
int32_t Int(const RValue& v) {
  return RoundToInt32(Num(v));
}
bool Bool(const RValue& v) {
  return Int(v) >= 1;
}

// The size and origin of the instance's sprite; false when it does not exist.
bool SpriteOf(const CInstance& inst, RSpriteShape& shape) {
  const CSpriteShapes* shapes = SpriteShapes();
  return shapes && shapes->Shape(inst.i_spriteindex, shape);
}

struct RInstanceVariable {
  const char* name;
  TBuiltinGetter get;
  TBuiltinSetter set;
};

#define VL_GET(expr)                                                                                         \
  [](CInstance* i, int32_t, RValue& v) {                                                                     \
    v = RValue(double(expr));                                                                                \
    return true;                                                                                             \
  }
#define VL_SET(stmt)                                                                                         \
  [](CInstance* i, int32_t, const RValue& v) {                                                               \
    stmt;                                                                                                    \
    return true;                                                                                             \
  }
#define VL_REAL(field) VL_GET(i->field), VL_SET(i->field = Num(v))
#define VL_BOOL(field) VL_GET(i->field ? 1 : 0), VL_SET(i->field = Bool(v))

const RInstanceVariable kInstanceVariables[] = {
    {"x", VL_GET(i->i_x), VL_SET(i->SetPosition(Num(v), i->i_y))},
    {"y", VL_GET(i->i_y), VL_SET(i->SetPosition(i->i_x, Num(v)))},
    {"xprevious", VL_REAL(i_xprevious)},
    {"yprevious", VL_REAL(i_yprevious)},
    {"xstart", VL_REAL(i_xstart)},
    {"ystart", VL_REAL(i_ystart)},
    {"hspeed", VL_GET(i->i_hspeed), VL_SET(i->SetHSpeed(Num(v)))},
    {"vspeed", VL_GET(i->i_vspeed), VL_SET(i->SetVSpeed(Num(v)))},
    {"direction", VL_GET(i->i_direction), VL_SET(i->SetDirection(Num(v)))},
    {"speed", VL_GET(i->i_speed), VL_SET(i->SetSpeed(Num(v)))},
    {"friction", VL_REAL(i_friction)},
    {"gravity", VL_REAL(i_gravity)},
    {"gravity_direction", VL_REAL(i_gravitydir)},
    {"object_index", VL_GET(i->i_objectindex), nullptr},
    {"id", VL_GET(i->i_id), nullptr},
    {"alarm",
     [](CInstance* i, int32_t k, RValue& v) {
       v = RValue(double(i->GetAlarm(k >= 0 && k < kAlarms ? k : 0)));
       return true;
     },
     [](CInstance* i, int32_t k, const RValue& v) {
       i->SetAlarm(k >= 0 && k < kAlarms ? k : 0, Int(v));
       return true;
     }},
    {"solid", VL_BOOL(i_solid)},
    {"visible", VL_BOOL(i_visible)},
    {"persistent", VL_BOOL(i_persistent)},
    {"depth", VL_REAL(i_depth)},
    {"bbox_left", VL_GET(i->i_bbox.left), nullptr},
    {"bbox_right", VL_GET(i->i_bbox.right), nullptr},
    {"bbox_top", VL_GET(i->i_bbox.top), nullptr},
    {"bbox_bottom", VL_GET(i->i_bbox.bottom), nullptr},
    {"sprite_index", VL_GET(i->i_spriteindex), VL_SET(i->SetSpriteIndex(Int(v)))},
    {"image_index", VL_REAL(i_imageindex)},
    {"image_single", VL_GET(i->i_imagespeed != 0 ? -1.0 : i->i_imageindex), VL_SET({
       if (Num(v) >= 0) {
         i->i_imageindex = Num(v);
         i->i_imagespeed = 0;
       } else {
         i->i_imagespeed = 1;
       }
     })},
    {"image_number", VL_GET(i->ImageNumber()), nullptr},
    {"sprite_width",
     [](CInstance* i, int32_t, RValue& v) {
       RSpriteShape s;
       v = RValue(SpriteOf(*i, s) ? s.ss_width * i->i_imagescalex : 0.0);
       return true;
     },
     nullptr},
    {"sprite_height",
     [](CInstance* i, int32_t, RValue& v) {
       RSpriteShape s;
       v = RValue(SpriteOf(*i, s) ? s.ss_height * i->i_imagescaley : 0.0);
       return true;
     },
     nullptr},
    {"sprite_xoffset",
     [](CInstance* i, int32_t, RValue& v) {
       RSpriteShape s;
       v = RValue(SpriteOf(*i, s) ? s.ss_xorigin * i->i_imagescalex : 0.0);
       return true;
     },
     nullptr},
    {"sprite_yoffset",
     [](CInstance* i, int32_t, RValue& v) {
       RSpriteShape s;
       v = RValue(SpriteOf(*i, s) ? s.ss_yorigin * i->i_imagescaley : 0.0);
       return true;
     },
     nullptr},
    {"image_xscale", VL_GET(i->i_imagescalex), VL_SET(i->SetImageScaleX(Num(v)))},
    {"image_yscale", VL_GET(i->i_imagescaley), VL_SET(i->SetImageScaleY(Num(v)))},
    {"image_angle", VL_GET(i->i_imageangle), VL_SET(i->SetImageAngle(Num(v)))},
    {"image_alpha", VL_REAL(i_imagealpha)},
    {"image_blend", VL_GET(i->i_imageblend), VL_SET(i->i_imageblend = uint32_t(Int(v)))},
    {"image_speed", VL_REAL(i_imagespeed)},
    {"mask_index", VL_GET(i->i_maskindex), VL_SET(i->SetMaskIndex(Int(v)))},
    {"path_index", VL_GET(i->i_pathindex), nullptr},
    {"path_position", VL_GET(i->i_pathposition), VL_SET(i->SetPathPosition(Num(v)))},
    {"path_positionprevious", VL_GET(i->i_pathpositionprevious), VL_SET(i->SetPathPositionPrevious(Num(v)))},
    {"path_speed", VL_REAL(i_pathspeed)},
    {"path_scale", VL_REAL(i_pathscale)},
    {"path_orientation", VL_REAL(i_pathorientation)},
    {"path_endaction", VL_GET(i->i_pathend), VL_SET(i->i_pathend = Int(v))},
    {"timeline_index", VL_GET(i->i_timelineindex), VL_SET(i->i_timelineindex = Int(v))},
    {"timeline_position", VL_REAL(i_timelineposition)},
    {"timeline_speed", VL_REAL(i_timelinespeed)},
    {"timeline_running", VL_BOOL(i_timelinerunning)},
    {"timeline_loop", VL_BOOL(i_timelineloop)},
};

#undef VL_BOOL
#undef VL_REAL
#undef VL_SET
#undef VL_GET

} // namespace

void RegisterInstanceVariables() {
  for (const RInstanceVariable& var : kInstanceVariables)
    if (RegisterBuiltinVariable(var.name, var.get, var.set, var.set != nullptr) < 0)
      ShowLoadMessage("INTERNAL ERROR: Adding too many variables");
}

} // namespace vl
