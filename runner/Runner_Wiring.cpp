#include "runner/Runner_Wiring.h"

#include "data/Data_State.h"
#include "datastructures/DS_State.h"
#include "graphics/Graphics_Window.h"
#include "library/Library_State.h"
#include "platform/Platform.h"
#include "runner/Event_Main.h"
#include "runner/Help_Main.h"
#include "runner/IO_Main.h"
#include "runner/Run_Error.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Functions.h"
#include "runner/Runner_Host.h"
#include "runner/Runner_Images.h"
#include "runner/Runner_Load.h"
#include "script/Script_State.h"
#include "sound/Sound_Class.h"
#include "sound/Sound_Play.h"
#include "sound/Sound_State.h"
#include "world/Game_Names.h"
#include "world/Room_Class.h"
#include "world/Sprite_Shape.h"
#include "world/Variable_World.h"
#include "world/World_State.h"

namespace vl {

void Wire_Runner(TServices& services) {
  InstallServices(&services);
  RegisterBuiltinFunctions();
  RegisterBuiltinVariables();
  CRunnerHost& host = RunnerHost();
  SetCodeHost(&host);
  SetCodeNames(&host);
  SetErrorSink(&host);
  SetFunctionErrorSink(&host);
  SetPlayHost(&host);
  SetSpriteShapes(&ImageShapes());
  SetBackgroundSizes(&ImageShapes());
  SetSoundFinder([](std::string_view name) { return Sounds().Find(name); });
  SetSoundTrace(Trace);
}

void Unwire_Runner() {
  SetSoundTrace(nullptr);
  SetSoundFinder(nullptr);
  SetBackgroundSizes(nullptr);
  SetSpriteShapes(nullptr);
  SetPlayHost(nullptr);
  SetFunctionErrorSink(nullptr);
  SetErrorSink(nullptr);
  SetCodeNames(nullptr);
  SetCodeHost(nullptr);
  InstallServices(nullptr);
}

void Reset_Runner() {
  ResetDataState();
  ResetScriptState();
  ResetLibraryState();
  ResetDataStructureState();
  ResetWorldState();
  ResetSoundState();
  ResetWindowState();
  Build_EventLists(); // of no objects: empty
  RunState() = RRunState();
  StepInput() = RStepInput();
  ErrorState() = RErrorState();
  Runner() = RRunner();
  GameInfo() = RGameInfo();
}

} // namespace vl
