#include "tests/world/World_Test_Support.h"

#include "data/Game_File.h"
#include "data/Support_Stream.h"
#include "runner/Runner_Sections.h"
#include "runner/Runner_Wiring.h"
#include "script/Code_Function.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Run.h"

namespace vl::test {

namespace {

void TestAction(CInstance*, CInstance*, int32_t, RValue& result, const RValue*) {
  result = RValue(1.0);
}

} // namespace

int32_t CWorldTestNames::FindFunction(std::string_view name) const {
  static const bool registered = (RegisterFunction("action_test", TestAction, -1), true);
  (void)registered;
  return name == "action_test" ? FindBuiltinFunction(name) : -1;
}

bool CTestSprites::Shape(int32_t sprite, RSpriteShape& shape) const {
  auto it = t_sprites.find(sprite);
  if (it == t_sprites.end()) return false;
  shape = it->second;
  return true;
}

TTestPlatform& Reports() {
  static TTestPlatform platform;
  return platform;
}

void ResetWorld() {
  static CWorldTestNames names;
  Wire_Runner(Reports().Services());
  Reset_Runner();
  // The world alone: its own names, no main loop to perform events, no sprites.
  SetCodeNames(&names);
  SetPlayHost(nullptr);
  SetSpriteShapes(nullptr);
  Reports().messages.clear();
  Reports().errors.clear();
}

bool LoadProject(const RGameProject& project) {
  CStream data(WriteGameData(project, 0));
  if (!Game_Unscramble(data, 0)) return false;
  RGameData& game = GameData();
  if (!Game_ReadHeader(data, 0, game) || !Settings_Load(data, game.gd_settings)) return false;
  Game_ReadLibrary(data);
  auto block = Game_ReadResourceHead(data, game);
  for (const RSection& section : kSections)
    if (!section.read(*block, game)) return false;
  return true;
}

RPackAction CodeAction(const std::string& code) {
  RPackAction action;
  action.kind = 7;
  action.exetype = 2;
  action.args = {code};
  action.argkinds = {1};
  return action;
}

RPackEvent Event(int32_t type, int32_t number, std::vector<RPackAction> actions) {
  RPackEvent event;
  event.type = type;
  event.number = number;
  event.actions = std::move(actions);
  return event;
}

} // namespace vl::test
