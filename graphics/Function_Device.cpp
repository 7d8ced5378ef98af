#include "graphics/Function_Device.h"

#include "graphics/Graphics_Device.h"
#include "script/Code_Function.h"
#include "script/Code_Operator.h"

namespace vl {

namespace {

bool ToBool(const RValue& v) {
  return v.IsReal() && v.Real() >= 0.5;
}

#define VL_DEVICE_ARGS CInstance *, CInstance *, int32_t, RValue &result, const RValue *args

void set_synchronization(VL_DEVICE_ARGS) {
  GR_Set_Synchronization(ToBool(args[0]));
}
void texture_set_interpolation(VL_DEVICE_ARGS) {
  GR_Set_Interpolation(ToBool(args[0]));
}
void texture_set_blending(VL_DEVICE_ARGS) {
  GR_Set_TextureBlending(ToBool(args[0]));
}
void texture_set_repeat(VL_DEVICE_ARGS) {
  GR_Set_TextureRepeat(ToBool(args[0]));
}
void draw_set_blend_mode(VL_DEVICE_ARGS) {
  GR_Set_BlendMode(ArgumentWhole(args[0]));
}
void draw_set_blend_mode_ext(VL_DEVICE_ARGS) {
  GR_Set_BlendModeExt(ArgumentWhole(args[0]), ArgumentWhole(args[1]));
}
void texture_get_width(VL_DEVICE_ARGS) {
  result = RValue(GR_Texture_Width(ArgumentWhole(args[0])));
}
void texture_get_height(VL_DEVICE_ARGS) {
  result = RValue(GR_Texture_Height(ArgumentWhole(args[0])));
}
void texture_preload(VL_DEVICE_ARGS) {
  GR_Texture_Preload(ArgumentWhole(args[0]));
}
void texture_set_priority(VL_DEVICE_ARGS) {
  GR_Texture_Set_Priority(ArgumentWhole(args[0]), ArgumentWhole(args[1]));
}
void screen_redraw(VL_DEVICE_ARGS) {
  GR_Screen_Redraw();
}
void screen_refresh(VL_DEVICE_ARGS) {
  GR_D3D_Refresh();
}
void screen_wait_vsync(VL_DEVICE_ARGS) {
  GR_Wait_VSync();
}
void display_reset(VL_DEVICE_ARGS) {
  GR_Display_Reset(ArgumentWhole(args[0]));
}

#undef VL_DEVICE_ARGS

} // namespace

void Register_Function_Device() {
  RegisterFunction("set_synchronization", set_synchronization, 1);
  RegisterFunction("texture_set_interpolation", texture_set_interpolation, 1);
  RegisterFunction("texture_set_blending", texture_set_blending, 1);
  RegisterFunction("texture_set_repeat", texture_set_repeat, 1);
  RegisterFunction("draw_set_blend_mode", draw_set_blend_mode, 1);
  RegisterFunction("draw_set_blend_mode_ext", draw_set_blend_mode_ext, 2);
  RegisterFunction("texture_get_width", texture_get_width, 1);
  RegisterFunction("texture_get_height", texture_get_height, 1);
  RegisterFunction("texture_preload", texture_preload, 1);
  RegisterFunction("texture_set_priority", texture_set_priority, 2);
  RegisterFunction("screen_redraw", screen_redraw, 0);
  RegisterFunction("screen_refresh", screen_refresh, 0);
  RegisterFunction("screen_wait_vsync", screen_wait_vsync, 0);
  RegisterFunction("display_reset", display_reset, 1);
}

} // namespace vl
