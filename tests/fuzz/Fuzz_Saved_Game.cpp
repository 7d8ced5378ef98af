// Fuzzes the saved-game loader: any file either loads or is refused with one of its messages, and
// a refused file leaves the running game exactly as it was.
#include "data/Game_File.h"
#include "data/Support_Stream.h"
#include "runner/Run_Command.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Wiring.h"
#include "script/Code_Error.h"
#include "tests/support/Test_Platform.h"
#include "tests/support/Test_Support.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Run.h"

#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::vector<uint8_t> Snapshot(const std::string& file) {
  vl::Save_Game(file);
  vl::CStream s;
  if (!s.LoadFromFile(file)) std::abort();
  return s.Bytes();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vl;
  static test::TScratchDir temp;
  static const std::string input = temp / "input.sav", snapshot = temp / "snapshot.sav";
  test::TTestPlatform platform;
  platform.errorAnswer = EErrorAnswer::Ignore;
  Wire_Runner(platform.Services());
  Reset_Runner();
  Objects().Add();
  Rooms().Add();
  GameData().gd_gameid = 4711;
  RunState().rs_rooms[0] = std::make_unique<CRoom>();
  RunState().rs_rooms[0]->Assign(Rooms().Get(0));
  RunState().rs_rooms[0]->AddInstance(0, 1, 2);
  Set_PlayedRoom(RunState().rs_rooms[0].get(), 0);

  const std::vector<uint8_t> before = Snapshot(snapshot);
  if (!CStream(data, size).SaveToFile(input)) std::abort();
  Read_Game(input);
  if (platform.errors.size() > 1) std::abort();
  if (!platform.errors.empty()) {
    const std::string& e = platform.errors[0];
    const bool known = e.find("Failed to load game from file ") != std::string::npos ||
                       e.find("Cannot load game saved with other version.") != std::string::npos ||
                       e.find("This is a save file for a different game!") != std::string::npos;
    if (!known || Snapshot(snapshot) != before) std::abort();
  }
  Reset_Runner();
  Unwire_Runner();
  return 0;
}
