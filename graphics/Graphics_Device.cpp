#include "graphics/Graphics_Device.h"

#include "graphics/Function_Window.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "world/Variable_World.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace vl {

namespace {

void (*TraceHook)(const std::string&) = nullptr;
void (*RoomDrawer)() = nullptr;

void Trace(const std::string& line) {
  if (TraceHook) TraceHook(line);
}

TRenderDevice* Device() {
  return GraphicsDevice().gd_device.get();
}

RTexture* Valid(int32_t id) {
  auto& pool = GraphicsDevice().gd_textures;
  if (id < 0 || id >= int32_t(pool.size()) || !pool[size_t(id)].used) return nullptr;
  return &pool[size_t(id)];
}

// Sprite and background records make their textures here while the device exists.
class CDeviceTexturePool final : public CTexturePool {
public:
  int32_t CreateTexture(int32_t w, int32_t h) override { return GR_Texture_Create_Empty(w, h, false); }
  bool FillTexture(int32_t id, const TBitmap32& bmp) override {
    const RTexture* texture = Valid(id);
    if (!texture || bmp.s_w != texture->w || bmp.s_h != texture->h) return false;
    return GR_Texture_Fill(id, bmp.s_data.data());
  }
  void PreloadTexture(int32_t id) override { GR_Texture_Preload(id); }
  void FreeTexture(int32_t id) override { GR_Texture_Free(id); }
};

CDeviceTexturePool& DevicePool() {
  static CDeviceTexturePool pool;
  return pool;
}

RDisplayMode Screen() {
  return Display().CurrentMode();
}

void ApplyStates() {
  RGraphicsDevice& gd = GraphicsDevice();
  if (!gd.gd_device) return;
  gd.gd_device->SetSynchronization(gd.gd_states.rs_synchronization);
  gd.gd_device->SetStates(GR_DrawStates(false));
}

void ClearTextures() {
  RGraphicsDevice& gd = GraphicsDevice();
  for (RTexture& texture : gd.gd_textures)
    if (texture.used && gd.gd_device) gd.gd_device->FreeTexture(texture.tex);
  gd.gd_textures.clear();
}

bool Present() {
  RGraphicsDevice& gd = GraphicsDevice();
  const RWindowPort port = Window_PresentPort();
  return gd.gd_device->Present({0, 0, gd.gd_width, gd.gd_height}, port.wp_port, port.wp_clientw,
                               port.wp_clienth, port.wp_colour);
}

// Up to three tries, five seconds apart, the last without anti-aliasing.
bool ResetDevice(int32_t samples) {
  RGraphicsDevice& gd = GraphicsDevice();
  if (gd.gd_device->Reset(samples)) return true;
  Clock().SleepMicroseconds(5000000);
  if (gd.gd_device->Reset(samples)) return true;
  Clock().SleepMicroseconds(5000000);
  gd.gd_aa = 0;
  return gd.gd_device->Reset(0);
}

struct RAttempt {
  const char* at_trace;
  int32_t at_depthbits;
};

// The depth buffer is the only difference that matters to OpenGL; the texts name the others too.
constexpr RAttempt kAttempts[] = {
    {"D3D Create Device :: H/W processing + D24S8 + Copy", 24},
    {"D3D Create Device :: H/W processing + D16 + Copy", 16},
    {"D3D Create Device :: H/W processing + D16 + Discard", 16},
    {"D3D Create Device :: S/W processing + D16 + Discard", 16},
};

} // namespace

RGraphicsDevice& GraphicsDevice() {
  static RGraphicsDevice device;
  return device;
}

void ResetGraphicsState() {
  GR_D3D_Finish();
  GraphicsDevice() = RGraphicsDevice();
}

void SetGraphicsTrace(void (*trace)(const std::string&)) {
  TraceHook = trace;
}

void SetRoomDrawer(void (*draw)()) {
  RoomDrawer = draw;
}

// ---- Device and frame cycle ---------------------------------------------------------------------

bool GR_D3D_Init(TGameWindow* window, int32_t width, int32_t height, bool synchronization) {
  RGraphicsDevice& gd = GraphicsDevice();
  gd.gd_states.rs_synchronization = synchronization;
  const RDisplayMode screen = Screen();
  gd.gd_width = std::min(width, screen.width);
  gd.gd_height = std::min(height, screen.height);
  // A 24-bit desktop (the usual X and Wayland visual) renders and reads back in 32 bits.
  if (screen.bits != 16 && screen.bits != 24 && screen.bits != 32) {
    Dialogs().ShowMessage(
        "This program requires 16-bit (High Color) or 32-bit (Full Color) mode. Please change "
        "this in your display properties and run again.");
    return false;
  }
  int32_t error = 0;
  for (const RAttempt& attempt : kAttempts) {
    Trace(attempt.at_trace);
    gd.gd_device = Services().sv_render->CreateDevice(window, {attempt.at_depthbits}, error);
    if (gd.gd_device) break;
  }
  if (!gd.gd_device) {
    Dialogs().ShowMessage(
        "D3D.CreateDevice() Error: Please check that your graphics card meets the minimum "
        "requirements and that your drivers are up-to-date. If your graphics card has little "
        "memory, try switching your computer to a lower resolution. (Error: " +
        std::to_string(error) + ")");
    return false;
  }
  Trace("D3D Create Device :: Success");
  gd.gd_device->SetBackBuffer(std::max(screen.width, 1), std::max(screen.height, 1)); // the screen's size
  int32_t supported = 0;
  for (int32_t samples : {2, 4, 8, 16})
    if (gd.gd_device->MultisampleSupported(samples)) supported |= samples;
  GameVariables().gv_displayaa = supported;
  Trace("D3D Create Device :: Clear");
  gd.gd_device->Clear(0, false);
  gd.gd_device->SetViewport({0, 0, gd.gd_width, gd.gd_height});
  GR_Set_Camera(0, 0, gd.gd_width, gd.gd_height, 0);
  Trace("D3D Create Device :: Texture Init");
  ClearTextures();
  SetTexturePool(&DevicePool());
  Window_SetRepaint(GR_D3D_Refresh);
  Window_SetDisplayReset([] { GR_D3D_Reset(); });
  Trace("D3D Create Device :: Settings Init");
  ApplyStates();
  Trace("D3D Create Device :: Finished");
  return true;
}

bool GR_D3D_Reset() {
  RGraphicsDevice& gd = GraphicsDevice();
  if (!gd.gd_device) return false;
  const RDisplayMode screen = Screen();
  if (gd.gd_aa && !gd.gd_device->MultisampleSupported(gd.gd_aa)) gd.gd_aa = 0;
  // Render targets do not survive a reset; their owners make them again.
  for (int32_t id = 0; id < int32_t(gd.gd_textures.size()); ++id)
    if (gd.gd_textures[size_t(id)].used && gd.gd_textures[size_t(id)].target) GR_Texture_Free(id);
  if (!gd.gd_device->SetBackBuffer(std::max(screen.width, 1), std::max(screen.height, 1)) ||
      !ResetDevice(gd.gd_aa)) {
    gd.gd_lost = true;
    return false;
  }
  gd.gd_device->SetViewport({0, 0, gd.gd_width, gd.gd_height});
  gd.gd_device->Clear(0, true);
  ApplyStates();
  return true;
}

void GR_D3D_Finish() {
  RGraphicsDevice& gd = GraphicsDevice();
  if (!gd.gd_device) return;
  ClearTextures();
  SetTexturePool(nullptr);
  Window_SetRepaint(nullptr);
  Window_SetDisplayReset(nullptr);
  gd.gd_device.reset();
}

bool GR_D3D_Start_Frame() {
  return Device() != nullptr;
}

bool GR_D3D_End_Frame() {
  if (!Device()) return false;
  if (!Present()) return GR_D3D_Reset();
  return true;
}

bool GR_D3D_Refresh() {
  return Device() && Present();
}

TRenderDevice* GR_Device() {
  return Device();
}

void GR_Set_RenderArea(int32_t width, int32_t height) {
  RGraphicsDevice& gd = GraphicsDevice();
  const RDisplayMode screen = Screen();
  width = std::min(width, screen.width);
  height = std::min(height, screen.height);
  if (width == gd.gd_width && height == gd.gd_height) return;
  gd.gd_width = width;
  gd.gd_height = height;
  if (!gd.gd_device) return;
  gd.gd_device->SetViewport({0, 0, width, height});
  GR_Set_Camera(0, 0, width, height, 0);
}

void GR_Set_Camera(double x, double y, double width, double height, double angle) {
  TRenderDevice* device = Device();
  if (!device) return;
  const float cx = float(x + width / 2), cy = float(y + height / 2);
  const float turn = float(-angle * std::numbers::pi / 180);
  const float w = float(width), h = float(height);
  const std::array<float, 3> up{std::sin(turn), std::cos(turn), 0};
  RMatrix view, projection;
  if (GraphicsDevice().gd_3d) {
    view = MatrixLookAtLH({cx, cy, -w}, {cx, cy, 0}, up);
    projection = MatrixPerspectiveLH(1, h / w, 1, 32000);
  } else {
    view = MatrixLookAtLH({cx, cy, -16000}, {cx, cy, 0}, up);
    projection = MatrixOrthoLH(w, -h, 1, 32000); // y grows downwards
  }
  const RMatrix world = MatrixIdentity();
  device->SetTransform(TTransform::World, world.data());
  device->SetTransform(TTransform::View, view.data());
  device->SetTransform(TTransform::Projection, projection.data());
}

// ---- Render states ------------------------------------------------------------------------------

void GR_Set_Synchronization(bool on) {
  GraphicsDevice().gd_states.rs_synchronization = on;
  ApplyStates();
}

void GR_Set_Interpolation(bool on) {
  GraphicsDevice().gd_states.rs_interpolation = on;
  ApplyStates();
}

void GR_Set_TextureBlending(bool on) {
  GraphicsDevice().gd_states.rs_blending = on;
  ApplyStates();
}

void GR_Set_TextureRepeat(bool on) {
  GraphicsDevice().gd_states.rs_repeat = on;
  ApplyStates();
}

void GR_Set_BlendMode(int32_t mode) {
  switch (mode) {
  case 1: GR_Set_BlendModeExt(kBlendSrcAlpha, kBlendOne); break;
  case 2: GR_Set_BlendModeExt(kBlendSrcAlpha, kBlendInvSrcColour); break;
  case 3: GR_Set_BlendModeExt(kBlendZero, kBlendInvSrcColour); break;
  default: GR_Set_BlendModeExt(kBlendSrcAlpha, kBlendInvSrcAlpha); break;
  }
}

void GR_Set_BlendModeExt(int32_t src, int32_t dest) {
  RRenderStates& states = GraphicsDevice().gd_states;
  states.rs_blendsrc = src;
  states.rs_blenddest = dest;
  ApplyStates();
}

RDeviceStates GR_DrawStates(bool primitive) {
  const RGraphicsDevice& gd = GraphicsDevice();
  const RRenderStates& rs = gd.gd_states;
  RDeviceStates states;
  states.ds_linear = rs.rs_interpolation;
  states.ds_modulate = rs.rs_blending;
  states.ds_repeat = primitive && rs.rs_repeat;
  states.ds_blendsrc = rs.rs_blendsrc;
  states.ds_blenddest = rs.rs_blenddest;
  states.ds_depthtest = gd.gd_3d && rs.rs_hidden;
  states.ds_alphatest = states.ds_depthtest;
  states.ds_culling = rs.rs_culling;
  states.ds_gouraud = rs.rs_shading;
  return states;
}

void GR_Display_Reset(int32_t level) {
  RGraphicsDevice& gd = GraphicsDevice();
  gd.gd_aa = (level == 2 || level == 4 || level == 8) ? level : 0;
  gd.gd_resetwanted = true;
}

// ---- Texture pool -------------------------------------------------------------------------------

int32_t GR_Texture_Create_Empty(int32_t width, int32_t height, bool renderTarget) {
  RGraphicsDevice& gd = GraphicsDevice();
  Trace("GR_Texture_Create_Empty :: Find an empty index");
  auto& pool = gd.gd_textures;
  int32_t id = 0;
  while (id < int32_t(pool.size()) && pool[size_t(id)].used) ++id;
  if (id == int32_t(pool.size())) pool.emplace_back();
  Trace(renderTarget ? "GR_Texture_Create_Empty :: Render Target" : "GR_Texture_Create_Empty :: Texture");
  Trace("GR_Texture_Create_Empty :: Found an empty index id=" + std::to_string(id));
  Trace("GR_Texture_Create_Empty :: Check Texture Requirements w=" + std::to_string(width) +
        " h=" + std::to_string(height));
  if (!gd.gd_device || width < 1 || height < 1) return -1;
  int32_t wt = width, ht = height;
  gd.gd_device->TextureRequirements(wt, ht);
  Trace("GR_Texture_Create_Empty :: D3DXCreateTexture w=" + std::to_string(wt) + " h=" + std::to_string(ht));
  const TTextureHandle handle = gd.gd_device->CreateTexture(wt, ht, renderTarget);
  if (!handle) return -1;
  pool[size_t(id)] = {handle, width, height, wt, ht, true, renderTarget};
  Trace("GR_Texture_Create_Empty :: Finished");
  return id;
}

bool GR_Texture_Fill(int32_t id, const uint32_t* pixels) {
  Trace("GR_Texture_Fill :: Started id=" + std::to_string(id));
  const RTexture* texture = Valid(id);
  if (!texture || !pixels || !Device()) return false;
  Trace("GR_Texture_Fill :: GetSurfaceLevel");
  const int32_t w = texture->w, h = texture->h;
  if (w == texture->wt && h == texture->ht) {
    Trace("GR_Texture_Fill :: D3DXLoadSurfaceFromMemory");
    return Device()->LoadTexture(texture->tex, 0, 0, w, h, pixels);
  }
  // One more column and row repeat the image's edge, so filtering at the edge sees no garbage.
  const int32_t bw = std::min(w + 1, texture->wt), bh = std::min(h + 1, texture->ht);
  std::vector<uint32_t> buffer(size_t(bw) * size_t(bh));
  for (int32_t y = 0; y < bh; ++y) {
    const uint32_t* row = pixels + size_t(std::min(y, h - 1)) * size_t(w);
    uint32_t* out = buffer.data() + size_t(y) * size_t(bw);
    std::copy(row, row + w, out);
    if (bw > w) out[w] = row[w - 1];
  }
  Trace("GR_Texture_Fill :: D3DXLoadSurfaceFromMemory");
  const bool loaded = Device()->LoadTexture(texture->tex, 0, 0, bw, bh, buffer.data());
  Trace("GR_Texture_Fill :: Finished");
  return loaded;
}

int32_t GR_Texture_Create_Bitmap(const TBitmap32& bmp) {
  const int32_t id = GR_Texture_Create_Empty(bmp.s_w, bmp.s_h, false);
  if (id < 0) return -1;
  if (!GR_Texture_Fill(id, bmp.s_data.data())) {
    GR_Texture_Free(id);
    return -1;
  }
  return id;
}

int32_t GR_Texture_Create_Alpha(int32_t width, int32_t height, const uint8_t* alpha) {
  if (width < 1 || height < 1 || !alpha) return -1;
  TBitmap32 bmp(width, height);
  for (size_t i = 0; i < bmp.s_data.size(); ++i) bmp.s_data[i] = uint32_t(alpha[i]) << 24 | 0xFFFFFF;
  return GR_Texture_Create_Bitmap(bmp);
}

void GR_Texture_Free(int32_t id) {
  Trace("GR_Texture_Free :: " + std::to_string(id));
  RTexture* texture = Valid(id);
  if (!texture) return;
  if (Device()) Device()->FreeTexture(texture->tex);
  *texture = RTexture();
  Trace("GR_Texture_Free :: Finished");
}

bool GR_Texture_Exists(int32_t id) {
  return Valid(id) != nullptr;
}

double GR_Texture_Width(int32_t id) {
  const RTexture* texture = Valid(id);
  return texture ? double(texture->w) / texture->wt : 1;
}

double GR_Texture_Height(int32_t id) {
  const RTexture* texture = Valid(id);
  return texture ? double(texture->h) / texture->ht : 1;
}

// OpenGL keeps every texture resident: preloading and priorities have nothing to do.
void GR_Texture_Preload(int32_t) {}
void GR_Texture_Set_Priority(int32_t, int32_t) {}

void GR_Texture_Set(int32_t id) {
  if (!Device()) return;
  const RTexture* texture = Valid(id);
  Device()->SetTexture(texture ? texture->tex : 0);
}

// ---- Read-back ----------------------------------------------------------------------------------

std::unique_ptr<TBitmap32> GR_Read_RenderArea(int32_t x, int32_t y, int32_t width, int32_t height) {
  const RGraphicsDevice& gd = GraphicsDevice();
  if (!gd.gd_device) return nullptr;
  x = std::max(x, 0);
  y = std::max(y, 0);
  width = std::min(width, gd.gd_width - x);
  height = std::min(height, gd.gd_height - y);
  if (width < 1 || height < 1) return nullptr;
  auto bmp = std::make_unique<TBitmap32>(width, height);
  if (!gd.gd_device->ReadBack(x, y, width, height, bmp->s_data.data())) return nullptr;
  return bmp;
}

std::unique_ptr<TBitmap32> GR_Read_Whole() {
  const RGraphicsDevice& gd = GraphicsDevice();
  return GR_Read_RenderArea(0, 0, gd.gd_width, gd.gd_height);
}

uint32_t GR_Read_Pixel(int32_t x, int32_t y) {
  std::unique_ptr<TBitmap32> bmp = GR_Read_RenderArea(x, y, 1, 1);
  if (!bmp) return 0;
  const uint32_t px = bmp->s_data[0];
  return (px & 0xFF) << 16 | (px & 0xFF00) | (px >> 16 & 0xFF);
}

void GR_Wait_VSync() {
  if (Device()) Device()->WaitForRetrace();
}

void GR_Screen_Redraw() {
  if (RoomDrawer) RoomDrawer();
  GR_D3D_End_Frame();
  GR_D3D_Start_Frame();
}

} // namespace vl
