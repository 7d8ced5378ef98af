#include "runner/Run_Main.h"

#include "data/Game_File.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Window.h"
#include "library/Support_Random.h"
#include "platform/Platform.h"
#include "runner/Event_Action.h"
#include "runner/Event_Main.h"
#include "runner/IO_Main.h"
#include "runner/Run_Clock.h"
#include "runner/Run_Command.h"
#include "runner/Runner_Load.h"
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Main.h"
#include "script/Extension_Class.h"
#include "script/Variable_Class.h"
#include "sound/Sound_Play.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/Run_Handle_Collision.h"
#include "world/TimeLine_Class.h"
#include "world/Trigger_Step.h"
#include "world/Variable_World.h"
#include "world/World_Run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

namespace vl {

namespace {

CRoom* Room() {
  return PlayState().ps_room;
}

bool Pending() {
  return New_Room != kRoomNone;
}

std::vector<CInstance*> AllInstances() {
  std::vector<CInstance*> all;
  if (CRoom* room = Room()) {
    all.reserve(size_t(room->Number()));
    for (const auto& inst : room->r_instance) all.push_back(inst.get());
  }
  return all;
}

// Compiles and runs a piece of creation code with RunCodeOrError; the texts say where it failed.
void RunCreationCode(const std::string& text, CInstance* self, const std::string& place) {
  CCode code(text, false);
  if (!code.Compile()) {
    ReportError("COMPILATION ERROR in creation code " + place + "\r" + ErrorText, false);
    ClearError();
    return;
  }
  RValue result;
  if (!RunCodeOrError(self, self, code, result)) {
    ReportError("EXECUTION ERROR in creation code " + place + "\r" + ErrorText, false);
    ClearError();
  }
}

void Run_LibraryInit() {
  for (const std::string& piece : GameData().gd_libinit) {
    if (piece.empty()) continue;
    CCode code(piece, false);
    if (!code.Compile()) {
      ReportError("COMPILATION ERROR in library initialization code\r" + ErrorText, true);
      ClearError();
      continue;
    }
    CInstance temporary;
    RValue result;
    RunCodeReporting(&temporary, &temporary, code, result);
  }
}

void Move_Instances() {
  for (CInstance* inst : AllInstances()) {
    inst->Adapt_Speed();
    if (inst->Adapt_Path() && !inst->i_marked) Perform_Event(inst, inst, ev_other, ev_end_of_path);
    inst->SetPosition(inst->i_x + inst->i_hspeed, inst->i_y + inst->i_vspeed);
  }
}

// The draw events of the visible instances, deepest first.
void Draw_Events() {
  std::vector<CInstance*> visible;
  for (CInstance* inst : AllInstances())
    if (inst->i_visible && !inst->i_marked && inst->Object() && inst->Object()->HasEventRecursive(ev_draw))
      visible.push_back(inst);
  std::stable_sort(visible.begin(), visible.end(),
                   [](const CInstance* a, const CInstance* b) { return a->i_depth > b->i_depth; });
  for (CInstance* inst : visible) Perform_Event(inst, inst, ev_draw, 0);
}

// Writes the render area as a PNG for every screenshot asked for after this step.
void Take_Screenshots(int64_t step) {
  for (const auto& [shotStep, file] : Runner().rn_options.ro_screenshots) {
    if (shotStep != step) continue;
    std::unique_ptr<TBitmap32> screen = GR_Read_Whole();
    const std::vector<uint8_t> png = screen ? BitmapToPng(*screen) : std::vector<uint8_t>();
    std::ofstream out(file, std::ios::binary);
    if (!screen || !out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size())))
      std::fprintf(stderr, "vlrun: cannot write the screenshot %s\n", file.c_str());
  }
}

// The end of a drawn step: present, reset the device when asked to, begin the next frame. A device
// that cannot be reset ends the game.
void Frame_Cycle() {
  RGraphicsDevice& gd = GraphicsDevice();
  GR_D3D_End_Frame();
  if (gd.gd_resetwanted) {
    gd.gd_resetwanted = false;
    GR_D3D_Reset();
  }
  if (gd.gd_lost) New_Room = kRoomEnd;
  GR_D3D_Start_Frame();
}

// A sprite without images has nothing to wrap: the index only advances.
void Animate_Instances() {
  for (CInstance* inst : AllInstances()) {
    inst->i_imageindex += inst->i_imagespeed;
    const int32_t images = inst->ImageNumber();
    if (images <= 0 || std::floor(inst->i_imageindex) < images) continue;
    inst->i_imageindex -= images;
    Perform_Event(inst, inst, ev_other, ev_animation_end);
  }
}

} // namespace

void Set_PlayedRoom(CRoom* room, int32_t index) {
  PlayState().ps_room = room;
  PlayState().ps_roomindex = index;
}

RRunState& RunState() {
  static RRunState state;
  return state;
}

// ---- Game and rooms ----------------------------------------------------------------------------

void Game_Start() {
  RRunState& state = RunState();
  Build_EventLists();
  ResetGlobals();
  RGameVariables& game = GameVariables();
  game.gv_score = 0;
  game.gv_lives = -1;
  game.gv_cursorsprite = -1;
  state.rs_cursorimage = 0;
  PlayState().ps_transition = 0;
  SeedRandomAtGameStart();
  Run_LibraryInit();
  // A failing initialization is reported as fatal, which ends the game.
  CInstance temporary;
  if (!Extensions().Init(&temporary)) return;
  state.rs_rooms.clear();
  state.rs_carried.clear();
  Room_Start(RoomOrderFirst(), true);
}

void Game_End() {
  Room_End(true);
  RunState().rs_rooms.clear();
  Set_PlayedRoom(nullptr, -1);
  CInstance temporary;
  Extensions().Final(&temporary);
}

void Room_Change(int32_t index) {
  Room_End(false);
  Room_Start(index, false);
}

void Room_End(bool gameEnd) {
  RRunState& state = RunState();
  CRoom* room = Room();
  if (!room) return;
  room->RemoveMarked();
  // Room end and game end run even though a room change is pending; a fatal error in them stays.
  const int32_t saved = New_Room;
  New_Room = kRoomNone;
  Perform_Event_All(ev_other, ev_room_end);
  if (gameEnd) Perform_Event_All(ev_other, ev_game_end);
  if (New_Room != kRoomFatal) New_Room = saved;

  state.rs_carried.clear();
  for (const auto& inst : room->r_instance) {
    if (inst->i_marked || !inst->i_persistent) continue;
    auto copy = std::make_unique<CInstance>();
    copy->Assign(*inst);
    state.rs_carried.push_back(std::move(copy));
    inst->i_marked = true;
  }
  const int32_t index = PlayState().ps_roomindex;
  if (!room->r_persistent) {
    state.rs_rooms.erase(index);
    Set_PlayedRoom(nullptr, index);
  }
}

void Room_Start(int32_t index, bool gameStart) {
  RRunState& state = RunState();
  New_Room = kRoomNone;
  StepInput().Clear();
  if (index < 0) index = 0;
  std::unique_ptr<CRoom>& slot = state.rs_rooms[index];
  const bool fresh = !slot;
  if (fresh) {
    slot = std::make_unique<CRoom>();
    slot->Assign(Rooms().Get(index));
  }
  CRoom* room = slot.get();
  Set_PlayedRoom(room, index);
  Room_SetRegion(*room);
  if (gameStart && GameWindow()) GameWindow()->SetVisible(true);

  std::vector<CInstance*> own;
  for (const auto& inst : room->r_instance) own.push_back(inst.get());
  for (const auto& carried : state.rs_carried) {
    for (CInstance* inst : own)
      if (inst->i_id == carried->i_id) inst->i_marked = true;
    room->AddInstanceCopy(*carried);
  }

  if (fresh) {
    const std::string roomName = Rooms().Name(index);
    for (CInstance* inst : own) {
      if (inst->i_marked) continue;
      if (!inst->i_initcode.empty())
        RunCreationCode(inst->i_initcode, inst,
                        "for instance " + std::to_string(inst->i_id) + " in room " + roomName);
      Perform_Event(inst, inst, ev_create, 0);
    }
  }
  state.rs_carried.clear();
  if (gameStart) Perform_Event_All(ev_other, ev_game_start);
  if (fresh && !room->r_code.empty()) {
    CInstance temporary;
    RunCreationCode(room->r_code, &temporary, "of room " + Rooms().Name(index));
  }
  Perform_Event_All(ev_other, ev_room_start);
  if (!Pending()) PlayState().ps_transition = 0;
}

// ---- The loop ----------------------------------------------------------------------------------

void Run_Game() {
  RRunState& state = RunState();
  if (!state.rs_running) {
    state.rs_running = true;
    Game_Start();
  }
  state.rs_running = true;
  state.rs_paused = false;
  Run_Loop();
  if (!state.rs_running) Game_End();
}

void Act_On_Code() {
  const int32_t code = New_Room;
  if (code == kRoomEnd || code == kRoomFatal) {
    RunState().rs_running = false;
  } else if (code == kRoomLoad) {
    Game_LoadPending();
  } else if (code == kRoomRestart) {
    Game_End();
    Game_Start();
  } else if (code >= 0) {
    Room_Change(code);
  }
}

void Run_Loop() {
  RRunState& state = RunState();
  Act_On_Code();
  Timer_Reset();
  RFrameCount frames;
  frames.Reset(Timer_Now());
  GameVariables().gv_fps = 0;
  IO_Pump();
  while (state.rs_running && !state.rs_paused) {
    try {
      if (state.rs_steplimit && state.rs_steps >= *state.rs_steplimit) {
        New_Room = kRoomEnd;
        Act_On_Code();
        break;
      }
      Run_Step();
      ++state.rs_steps;
      Take_Screenshots(state.rs_steps);
      const int64_t now = Timer_Now();
      if (now < frames.fc_last) frames.fc_last = now;
      CRoom* room = Room();
      if (room && room->r_speed < 1) room->r_speed = 1;
      const int64_t delay = Frame_Delay(room ? room->r_speed : 1, now, frames.fc_last);
      Timer_Wait(delay);
      SoundLayer().AdvanceTo(Clock().Microseconds());
      frames.Advance(now, delay);
      GameVariables().gv_fps = frames.fc_fps;
      if (!Pending() && state.rs_autodraw) Frame_Cycle();
      Act_On_Code();
      IO_Pump();
    } catch (const std::exception&) {
      // A failing pass leaves the game as it is; the next pass goes on.
    }
  }
}

void Run_Step() {
  RRunState& state = RunState();
  if (!Room()) return;
  Handle_FunctionKeys();
  CRoom* room = Room(); // F6 may have loaded another
  for (const auto& inst : room->r_instance) {
    inst->i_xprevious = inst->i_x;
    inst->i_yprevious = inst->i_y;
    inst->SetPathPositionPrevious(inst->i_pathposition);
  }
  Handle_Step(ev_step_begin);
  if (Pending()) return;
  Handle_TimeLines();
  if (Pending()) return;
  Handle_Alarms();
  if (Pending()) return;
  Handle_Keyboard();
  if (Pending()) return;
  // Joysticks are read here once the platform offers them.
  Handle_Mouse();
  if (Pending()) return;
  Handle_Step(ev_step_normal);
  if (Pending()) return;
  Move_Instances();
  Handle_Boundaries();
  if (Pending()) return;
  Handle_Collisions();
  if (Pending()) return;
  Handle_Step(ev_step_end);
  if (Pending()) return;
  room = Room();
  room->RemoveMarked();
  if (state.rs_autodraw) Room_Draw();
  room->ScrollBackground();
  Animate_Instances();
  ++state.rs_cursorimage;
  StepInput().ClearStep();
}

// Until views and backgrounds are drawn: the render area takes the room region's size, the room's
// colour fills it when the room shows one, then the draw events run.
void Room_Draw() {
  CRoom* room = Room();
  if (!room) return;
  GR_Set_RenderArea(WindowState().ws_regionw, WindowState().ws_regionh);
  TRenderDevice* device = GR_Device();
  if (device && room->r_showcolor) device->Clear(PixelOfColour(uint32_t(room->r_color)), false);
  Draw_Events();
}

// ---- Step handlers -----------------------------------------------------------------------------

void Handle_FunctionKeys() {
  RStepInput& input = StepInput();
  const RGameSettings& settings = GameData().gd_settings;
  if (input.si_lastkey == vk_escape && settings.gs_quitkey) {
    input.si_lastkey = 0;
    New_Room = kRoomEnd;
  } else if (input.si_lastkey == vk_f4 && settings.gs_fullscreenkey) {
    input.si_lastkey = 0;
    Window_SetFullscreen(!WindowState().ws_fullscreen);
  } else if (input.si_lastkey == vk_f5 && settings.gs_savekey) {
    input.si_lastkey = 0;
    Save_Game(Key_SaveFile());
  } else if (input.si_lastkey == vk_f6 && settings.gs_savekey) {
    input.si_lastkey = 0;
    Read_Game(Key_SaveFile());
  }
}

void Handle_Step(int32_t moment) {
  Trigger_Step(moment); // trigger moments are numbered like the step events
  Dispatch(ev_step, moment);
}

namespace {

// Inside or touching the rectangle, borders included: a shaped instance by its box, any other by
// its position.
bool Meets(const CInstance& i, double left, double top, double right, double bottom) {
  if (!i.HasShape()) return left <= i.i_x && i.i_x <= right && top <= i.i_y && i.i_y <= bottom;
  return i.i_bbox.right >= left && i.i_bbox.left <= right && i.i_bbox.bottom >= top && i.i_bbox.top <= bottom;
}

// Wholly inside the rectangle, borders included; an instance without a shape as for Meets.
bool Within(const CInstance& i, double left, double top, double right, double bottom) {
  if (!i.HasShape()) return Meets(i, left, top, right, bottom);
  return i.i_bbox.left >= left && i.i_bbox.right <= right && i.i_bbox.top >= top && i.i_bbox.bottom <= bottom;
}

} // namespace

// The tests read the room and its views as they are when each instance is reached: events may
// resize the room or move the views.
void Handle_Boundaries() {
  auto room = [] { return PlayState().ps_room; };
  DispatchWhere(ev_other, ev_outside,
                [&](const CInstance& i) { return !Meets(i, 0, 0, room()->r_width, room()->r_height); });
  DispatchWhere(ev_other, ev_boundary,
                [&](const CInstance& i) { return !Within(i, 0, 0, room()->r_width, room()->r_height); });
  for (bool wholly : {false, true})
    for (int32_t n = 0; n < kRoomViews; ++n) {
      if (!room()->r_enableviews || !room()->r_view[size_t(n)].visible) continue;
      DispatchWhere(ev_other, (wholly ? ev_boundary_view0 : ev_outside_view0) + n, [&](const CInstance& i) {
        const CView& v = room()->r_view[size_t(n)];
        const double l = v.xview, t = v.yview, r = double(v.xview) + v.wview, b = double(v.yview) + v.hview;
        return wholly ? !Within(i, l, t, r, b) : !Meets(i, l, t, r, b);
      });
    }
}

namespace {

// The time line an instance still runs after one of its moments, or null when that moment
// destroyed the instance, gave it another time line or deleted this one.
const CTimeLine* StillRunning(const CInstance* inst, int32_t index) {
  return inst->i_marked || inst->i_timelineindex != index ? nullptr : TimeLines().Get(index);
}

// Moments may add, clear and delete moments and time lines: after each one the time line is looked
// up again and the next moment is found by its step.
void Advance_TimeLine(CInstance* inst) {
  const int32_t index = inst->i_timelineindex;
  const CTimeLine* line = TimeLines().Get(index);
  const double speed = inst->i_timelinespeed;
  if (inst->i_marked || !line || line->Count() == 0 || !inst->i_timelinerunning || speed == 0) return;
  const double old = inst->i_timelineposition, now = old + speed;
  inst->i_timelineposition = now;
  if (speed > 0) {
    // The moments with old <= step < now, ascending.
    for (int32_t at = line->FindLarger(old);
         at >= 0 && at < line->Count() && line->s_moments[size_t(at)].m_step < now;) {
      const int32_t step = line->s_moments[size_t(at)].m_step;
      Perform_Moment(inst, inst, index, at);
      if (!(line = StillRunning(inst, index))) return;
      at = line->FindLarger(double(step) + 1);
    }
    if (inst->i_timelineloop && line->Count() > 0 && line->s_moments.back().m_step < inst->i_timelineposition)
      inst->i_timelineposition = 0;
  } else {
    // The moments with now < step <= old, descending.
    for (int32_t at = line->FindSmaller(old); at >= 0 && line->s_moments[size_t(at)].m_step > now;) {
      const int32_t step = line->s_moments[size_t(at)].m_step;
      Perform_Moment(inst, inst, index, at);
      if (!(line = StillRunning(inst, index))) return;
      at = line->FindSmaller(double(step) - 1);
    }
    if (inst->i_timelineloop && line->Count() > 0 && inst->i_timelineposition < 0)
      inst->i_timelineposition = line->s_moments.back().m_step;
  }
}

} // namespace

void Handle_TimeLines() {
  for (CInstance* inst : AllInstances()) Advance_TimeLine(inst);
}

void Handle_Alarms() {
  for (int32_t alarm = 0; alarm < kAlarms; ++alarm)
    for (int32_t object : EventList(ev_alarm, alarm))
      for (CInstance* inst : InstancesOf(object)) {
        if (inst->i_marked) continue;
        int32_t& timer = inst->i_timer[size_t(alarm)];
        if (timer < 0) continue;
        if (--timer == 0) Perform_Event(inst, inst, ev_alarm, alarm);
      }
}

} // namespace vl
