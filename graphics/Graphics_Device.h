#pragma once
// The render device as the game sees it: the render area and its camera, the frame cycle, the
// render states, the texture pool with its ids, read-back, the reset path and the trace texts.
// Everything goes through the platform's TRenderDevice, made by the installed render factory.

#include "graphics/BM32_Bitmap.h"
#include "graphics/Graphics_Matrix.h"
#include "platform/Platform_Render.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vl {

// One slot of the texture pool; an id is the slot's index.
struct RTexture {
  TTextureHandle tex = 0;
  int32_t w = 0, h = 0;   // the size asked for (the image's)
  int32_t wt = 0, ht = 0; // the size the device gave
  bool used = false;
  bool target = false; // a render target: released before every reset
};

// The render states; each setter stores and applies, and all are applied again after creation
// and every reset.
struct RRenderStates {
  bool rs_synchronization = false;
  bool rs_interpolation = true;
  bool rs_blending = true;
  bool rs_repeat = false;
  int32_t rs_blendsrc = kBlendSrcAlpha, rs_blenddest = kBlendInvSrcAlpha;
  bool rs_hidden = true;
  bool rs_culling = false;
  bool rs_shading = true;
};

struct RGraphicsDevice {
  std::unique_ptr<TRenderDevice> gd_device; // null before GR_D3D_Init and after GR_D3D_Finish
  int32_t gd_width = 640, gd_height = 480;  // the render area
  int32_t gd_aa = 0;                        // samples asked for by display_reset
  bool gd_resetwanted = false;              // display_reset asked; the loop resets at its next step
  bool gd_lost = false;                     // the device could not be reset: the game must end
  bool gd_3d = false;
  RRenderStates gd_states;
  std::vector<RTexture> gd_textures;
};
RGraphicsDevice& GraphicsDevice();
// Releases the device and forgets every state.
void ResetGraphicsState();

// Graphics writes trace texts through this hook (the runner's trace log); none drops them.
void SetGraphicsTrace(void (*trace)(const std::string& line));
// What screen_redraw draws before ending the frame; the runner sets the room drawing.
void SetRoomDrawer(void (*draw)());

// Device and frame cycle.
bool GR_D3D_Init(TGameWindow* window, int32_t width, int32_t height, bool synchronization);
bool GR_D3D_Reset();
void GR_D3D_Finish();
bool GR_D3D_Start_Frame();
bool GR_D3D_End_Frame();
// Presents the last frame again, without ending a scene (window repaints, screen_refresh).
bool GR_D3D_Refresh();
// The device itself, null when there is none; the drawing code draws through it.
TRenderDevice* GR_Device();

// The render area, each side at most the screen's; a change sets the viewport and camera again.
void GR_Set_RenderArea(int32_t width, int32_t height);
// The 2D camera over the room rectangle (x, y, w, h) turned by angle degrees.
void GR_Set_Camera(double x, double y, double width, double height, double angle);

// Render-state setters.
void GR_Set_Synchronization(bool on);
void GR_Set_Interpolation(bool on);
void GR_Set_TextureBlending(bool on);
void GR_Set_TextureRepeat(bool on);
// bm_normal, bm_add, bm_max, bm_subtract; anything else is normal.
void GR_Set_BlendMode(int32_t mode);
void GR_Set_BlendModeExt(int32_t src, int32_t dest);
// The device states for a draw; quads always clamp their texture, other primitives repeat when
// the repeat state says so.
RDeviceStates GR_DrawStates(bool primitive);
// display_reset: 2, 4 or 8 samples, anything else none; the reset happens at the next step.
void GR_Display_Reset(int32_t level);

// The texture pool. Ids are slots: the lowest free one is taken, the pool grows by one when full.
int32_t GR_Texture_Create_Empty(int32_t width, int32_t height, bool renderTarget);
// pixels: w × h values 0xAARRGGBB, rows from the top.
bool GR_Texture_Fill(int32_t id, const uint32_t* pixels);
int32_t GR_Texture_Create_Bitmap(const TBitmap32& bmp);
// White pixels with the bytes as alpha (font glyphs).
int32_t GR_Texture_Create_Alpha(int32_t width, int32_t height, const uint8_t* alpha);
void GR_Texture_Free(int32_t id);
bool GR_Texture_Exists(int32_t id);
// w / wt and h / ht: where the image ends in texture coordinates; 1 for an invalid id.
double GR_Texture_Width(int32_t id);
double GR_Texture_Height(int32_t id);
void GR_Texture_Preload(int32_t id);
void GR_Texture_Set_Priority(int32_t id, int32_t priority);
// Stage 0's texture; an invalid id sets none.
void GR_Texture_Set(int32_t id);

// Read-back: x and y below 0 become 0, width and height are cut to the render area; null when
// nothing can be read.
std::unique_ptr<TBitmap32> GR_Read_RenderArea(int32_t x, int32_t y, int32_t width, int32_t height);
std::unique_ptr<TBitmap32> GR_Read_Whole();
// The colour 0x00BBGGRR at (x, y); 0 when it cannot be read.
uint32_t GR_Read_Pixel(int32_t x, int32_t y);

void GR_Wait_VSync();
// screen_redraw: the room drawing, then the end of this frame and the start of the next.
void GR_Screen_Redraw();

} // namespace vl
