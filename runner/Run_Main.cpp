#include "runner/Run_Main.h"

#include "data/Game_File.h"
#include "library/Support_Random.h"
#include "platform/Platform.h"
#include "runner/Event_Action.h"
#include "runner/Event_Main.h"
#include "runner/Run_Command.h"
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Host.h"
#include "script/Code_Main.h"
#include "script/Variable_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/Trigger_Step.h"
#include "world/Variable_World.h"
#include "world/World_Host.h"
#include "world/World_Run.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

namespace vl {

namespace {

constexpr int64_t kSecond = 1000000;
int64_t TimerBase = 0;

TPlatform& Platform() {
  return *ActivePlatform();
}

void PumpMessages() {
  if (ActivePlatform()) Platform().PumpEvents();
}

CRoom* Room() {
  return PlayState().ps_room;
}

bool Pending() {
  return New_Room != kRoomNone;
}

// The instances of object as they are now: events may add instances to the lists being walked.
std::vector<CInstance*> InstancesOf(int32_t object) {
  return Room() ? Room()->ObjectList(object) : std::vector<CInstance*>();
}

std::vector<CInstance*> AllInstances() {
  std::vector<CInstance*> all;
  if (CRoom* room = Room()) {
    all.reserve(size_t(room->Number()));
    for (const auto& inst : room->r_instance) all.push_back(inst.get());
  }
  return all;
}

const std::vector<int32_t>& EventList(int32_t type, int32_t number) {
  static const std::vector<int32_t> none;
  const auto& lists = RunState().rs_eventlists[size_t(type)];
  return number >= 0 && number < int32_t(lists.size()) ? lists[size_t(number)] : none;
}

// The event for every unmarked instance of every object in its list, each as self and other. The
// instances of one object share the event, so it is looked up once per object.
void Dispatch(int32_t type, int32_t number) {
  for (int32_t object : EventList(type, number)) {
    int32_t owner = -1;
    const CEvent* event = Find_Event(object, type, number, &owner);
    if (!event) continue;
    for (CInstance* inst : InstancesOf(object)) {
      if (inst->i_marked) continue;
      if (inst->i_objectindex == object)
        Perform_Found(inst, inst, *event, owner, type, number);
      else // changed its object during the step: it reacts as its new object
        Perform_Event(inst, inst, type, number);
    }
  }
}

void Build_EventLists() {
  const CObjectTable& objects = Objects();
  for (int32_t type = 0; type < kEventTypes; ++type) {
    auto& lists = RunState().rs_eventlists[size_t(type)];
    lists.assign(size_t(kEventListBound[size_t(type)] + 1), {});
    for (int32_t number = 0; number < int32_t(lists.size()); ++number)
      for (int32_t o = 0; o < objects.Count(); ++o)
        if (const CObject* object = objects.Get(o); object && object->GetEventRecursive(type, number))
          lists[size_t(number)].push_back(o);
  }
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
    if (inst->Adapt_Path() && !inst->i_marked) Perform_Event(inst, inst, ev_other, 8);
    inst->SetPosition(inst->i_x + inst->i_hspeed, inst->i_y + inst->i_vspeed);
  }
}

// The draw events of the visible instances, deepest first; drawing itself belongs to the room
// drawing, which replaces this once the renderer exists.
void Draw_Events() {
  std::vector<CInstance*> visible;
  for (CInstance* inst : AllInstances())
    if (inst->i_visible && !inst->i_marked && inst->Object() && inst->Object()->HasEventRecursive(ev_draw))
      visible.push_back(inst);
  std::stable_sort(visible.begin(), visible.end(),
                   [](const CInstance* a, const CInstance* b) { return a->i_depth > b->i_depth; });
  for (CInstance* inst : visible) Perform_Event(inst, inst, ev_draw, 0);
}

// A sprite without images has nothing to wrap: the index only advances.
void Animate_Instances() {
  for (CInstance* inst : AllInstances()) {
    inst->i_imageindex += inst->i_imagespeed;
    const int32_t images = inst->ImageNumber();
    if (images <= 0 || std::floor(inst->i_imageindex) < images) continue;
    inst->i_imageindex -= images;
    Perform_Event(inst, inst, ev_other, 7);
  }
}

} // namespace

void Set_PlayedRoom(CRoom* room, int32_t index) {
  PlayState().ps_room = room;
  PlayState().ps_roomindex = index;
  if (HasCodeHost())
    if (auto* host = dynamic_cast<CWorldHost*>(&CodeHost())) host->SetRoom(room);
}

// ---- Input -------------------------------------------------------------------------------------

void RStepInput::ClearStep() {
  si_keypressed.reset();
  si_keyreleased.reset();
  si_buttonpressed.reset();
  si_buttonreleased.reset();
  si_wheelup = si_wheeldown = false;
}

void RStepInput::Clear() {
  ClearStep();
  si_keyheld.reset();
  si_buttonheld.reset();
  si_lastkey = 0;
}

RRunState& RunState() {
  static RRunState state;
  return state;
}

// ---- Clock -------------------------------------------------------------------------------------

void Timer_Reset() {
  TimerBase = Platform().Microseconds();
}

int64_t Timer_Now() {
  return Platform().Microseconds() - TimerBase;
}

void Timer_Wait(int64_t delay) {
  if (delay <= 0) return;
  const int64_t start = Timer_Now(), target = start + delay;
  if (delay >= 2000) Platform().SleepMicroseconds((delay - 1000) / 1000 * 1000);
  for (int64_t now = Timer_Now(); now < target && now >= start; now = Timer_Now()) {
    Platform().PumpEvents();
    if (Platform().IsHeadless()) Platform().SleepMicroseconds(target - now);
  }
}

int64_t Frame_Delay(int32_t speed, int64_t now, int64_t last) {
  const int64_t delay = kSecond / std::max(speed, 1) - (now - last);
  return std::clamp<int64_t>(delay, 0, kSecond);
}

void RFrameCount::Reset(int64_t now) {
  fc_last = fc_secondstart = now;
  fc_counter = fc_fps = 0;
}

void RFrameCount::Advance(int64_t now, int64_t delay) {
  fc_last = now + delay;
  if (fc_last < fc_secondstart) fc_secondstart = fc_last;
  if (fc_last / kSecond > fc_secondstart / kSecond) {
    fc_fps = fc_counter;
    fc_counter = 0;
    fc_secondstart = fc_last;
  }
  ++fc_counter;
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
  PlayState().ps_save = Save_Game;
  SeedRandomAtGameStart();
  Run_LibraryInit();
  state.rs_rooms.clear();
  state.rs_rooms.resize(size_t(Rooms().Count()));
  state.rs_carried.clear();
  Room_Start(RoomOrderFirst(), true);
}

void Game_End() {
  Room_End(true);
  RunState().rs_rooms.clear();
  Set_PlayedRoom(nullptr, -1);
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
  Perform_Event_All(ev_other, 5);
  if (gameEnd) Perform_Event_All(ev_other, 3);
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
  if (!room->r_persistent && index >= 0 && index < int32_t(state.rs_rooms.size())) {
    state.rs_rooms[size_t(index)].reset();
    Set_PlayedRoom(nullptr, index);
  }
}

void Room_Start(int32_t index, bool gameStart) {
  RRunState& state = RunState();
  New_Room = kRoomNone;
  state.rs_input.Clear();
  if (index < 0) index = 0;
  if (index >= int32_t(state.rs_rooms.size())) state.rs_rooms.resize(size_t(index) + 1);
  std::unique_ptr<CRoom>& slot = state.rs_rooms[size_t(index)];
  const bool fresh = !slot;
  if (fresh) {
    slot = std::make_unique<CRoom>();
    slot->Assign(Rooms().Get(index));
  }
  CRoom* room = slot.get();
  Set_PlayedRoom(room, index);

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
  if (gameStart) Perform_Event_All(ev_other, 2);
  if (fresh && !room->r_code.empty()) {
    CInstance temporary;
    RunCreationCode(room->r_code, &temporary, "of room " + Rooms().Name(index));
  }
  Perform_Event_All(ev_other, 4);
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
  PumpMessages();
  while (state.rs_running && !state.rs_paused) {
    try {
      if (state.rs_steplimit && state.rs_steps >= *state.rs_steplimit) {
        New_Room = kRoomEnd;
        Act_On_Code();
        break;
      }
      Run_Step();
      ++state.rs_steps;
      const int64_t now = Timer_Now();
      if (now < frames.fc_last) frames.fc_last = now;
      CRoom* room = Room();
      if (room && room->r_speed < 1) room->r_speed = 1;
      const int64_t delay = Frame_Delay(room ? room->r_speed : 1, now, frames.fc_last);
      Timer_Wait(delay);
      frames.Advance(now, delay);
      GameVariables().gv_fps = frames.fc_fps;
      Act_On_Code();
      PumpMessages();
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
  Handle_Step(1);
  if (Pending()) return;
  // Time lines run here once they exist.
  Handle_Alarms();
  if (Pending()) return;
  Handle_Keyboard();
  if (Pending()) return;
  // Joysticks are read here once the platform offers them.
  Handle_Mouse();
  if (Pending()) return;
  Handle_Step(0);
  if (Pending()) return;
  Move_Instances();
  // Boundary and collision events come here once they exist.
  if (Pending()) return;
  Handle_Step(2);
  if (Pending()) return;
  room = Room();
  room->RemoveMarked();
  if (state.rs_autodraw) Draw_Events();
  room->ScrollBackground();
  Animate_Instances();
  ++state.rs_cursorimage;
  state.rs_input.ClearStep();
}

// ---- Step handlers -----------------------------------------------------------------------------

void Handle_FunctionKeys() {
  RStepInput& input = RunState().rs_input;
  const RGameSettings& settings = GameData().gd_settings;
  if (input.si_lastkey == 27 && settings.gs_quitkey) {
    input.si_lastkey = 0;
    New_Room = kRoomEnd;
  } else if (input.si_lastkey == 116 && settings.gs_savekey) {
    input.si_lastkey = 0;
    Save_Game(Key_SaveFile());
  } else if (input.si_lastkey == 117 && settings.gs_savekey) {
    input.si_lastkey = 0;
    Read_Game(Key_SaveFile());
  }
}

void Handle_Step(int32_t moment) {
  Trigger_Step(moment); // trigger moments are numbered like the step events
  Dispatch(ev_step, moment);
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

namespace {

// Keyboard-like events of one type for the keys that pass test, then "no key" or "any key".
template <typename Test>
void Handle_Keys(int32_t type, Test test) {
  bool any = false;
  for (int32_t key = 8; key <= 255; ++key) {
    if (!test(key)) continue;
    any = true;
    Dispatch(type, key);
  }
  Dispatch(type, any ? 1 : 0);
}

bool UnderMouse(const CInstance& inst) {
  const RStepInput& input = RunState().rs_input;
  return inst.Collision_Point(true, input.si_mousex, input.si_mousey);
}

bool UnderPreviousMouse(const CInstance& inst) {
  const RStepInput& input = RunState().rs_input;
  return inst.Collision_Point(true, input.si_mousexprev, input.si_mouseyprev);
}

// The mouse event number for the instances of its list that pass test.
template <typename Test>
void DispatchWhere(int32_t number, Test test) {
  for (int32_t object : EventList(ev_mouse, number))
    for (CInstance* inst : InstancesOf(object))
      if (!inst->i_marked && test(*inst)) Perform_Event(inst, inst, ev_mouse, number);
}

} // namespace

void Handle_Keyboard() {
  const RStepInput& input = RunState().rs_input;
  Handle_Keys(ev_keyboard,
              [&](int32_t k) { return input.si_keyheld[size_t(k)] || input.si_keypressed[size_t(k)]; });
  Handle_Keys(ev_keypress, [&](int32_t k) { return bool(input.si_keypressed[size_t(k)]); });
  Handle_Keys(ev_keyrelease, [&](int32_t k) { return bool(input.si_keyreleased[size_t(k)]); });
}

void Handle_Mouse() {
  RStepInput& input = RunState().rs_input;
  const bool held[] = {false, input.si_buttonheld[1] || input.si_buttonpressed[1],
                       input.si_buttonheld[2] || input.si_buttonpressed[2],
                       input.si_buttonheld[3] || input.si_buttonpressed[3]};
  bool any = false;
  for (int32_t button = 1; button <= 3; ++button) {
    if (!held[button]) continue;
    any = true;
    DispatchWhere(button - 1, UnderMouse);
    Dispatch(ev_mouse, 49 + button);
  }
  if (!any) DispatchWhere(3, UnderMouse);
  for (int32_t button = 1; button <= 3; ++button) {
    if (!input.si_buttonpressed[size_t(button)]) continue;
    DispatchWhere(3 + button, UnderMouse);
    Dispatch(ev_mouse, 12);
    Dispatch(ev_mouse, 52 + button);
  }
  for (int32_t button = 1; button <= 3; ++button) {
    if (!input.si_buttonreleased[size_t(button)]) continue;
    DispatchWhere(6 + button, UnderMouse);
    Dispatch(ev_mouse, 13);
    Dispatch(ev_mouse, 55 + button);
  }
  DispatchWhere(10, [](const CInstance& i) { return UnderMouse(i) && !UnderPreviousMouse(i); });
  DispatchWhere(11, [](const CInstance& i) { return !UnderMouse(i) && UnderPreviousMouse(i); });
  if (input.si_wheelup) Dispatch(ev_mouse, 60);
  if (input.si_wheeldown) Dispatch(ev_mouse, 61);
  input.si_mousexprev = input.si_mousex;
  input.si_mouseyprev = input.si_mousey;
}

} // namespace vl
