#pragma once

#include "tests/support/Test_Platform.h"
// Test doubles and helpers for the world: names for action functions, sprite shapes, captured
// reports, and loading a written project's sections into the process-wide tables.

#include "script/Code_Names.h"
#include "tools/writer/Game_Writer.h"
#include "world/Sprite_Shape.h"
#include "world/World_Run.h"

#include <map>
#include <string>
#include <vector>

namespace vl::test {

// Resolves the built-in function "action_test" (any argument count); no resource names.
class CWorldTestNames final : public CCodeNames {
public:
  int32_t FindFunction(std::string_view name) const override;
  int32_t FunctionArgCount(int32_t id) const override { return -1; }
  bool LookupName(std::string_view name, RValue& value) const override { return false; }
};

// Sprites by index; every mask test answers t_maskhit.
class CTestSprites final : public CSpriteShapes {
public:
  bool Shape(int32_t sprite, RSpriteShape& shape) const override;
  bool MaskPoint(const RMaskPlace&, int32_t, int32_t) const override { return t_maskhit; }
  bool MaskRectangle(const RMaskPlace&, int32_t, int32_t, int32_t, int32_t) const override {
    return t_maskhit;
  }
  bool MaskEllipse(const RMaskPlace&, int32_t, int32_t, int32_t, int32_t) const override { return t_maskhit; }
  bool MaskLine(const RMaskPlace&, int32_t, int32_t, int32_t, int32_t) const override { return t_maskhit; }
  bool MaskInstance(const RMaskPlace&, const RMaskPlace&) const override { return t_maskhit; }

  std::map<int32_t, RSpriteShape> t_sprites;
  bool t_maskhit = true;
};

// Hands the events the world asks the main loop to perform to a test's function.
class CPerformRecorder final : public CPlayHost {
public:
  using TRecord = void (*)(CInstance* self, CInstance* other, int32_t type, int32_t number);
  explicit CPerformRecorder(TRecord record) : m_record(record) {}
  void PerformEvent(CInstance* self, CInstance* other, int32_t type, int32_t number) override {
    m_record(self, other, type, number);
  }
  void PerformEventObject(CInstance*, CInstance*, int32_t, int32_t, int32_t) override {}
  void SaveGame(const std::string&) override {}

private:
  TRecord m_record;
};

// The platform that records messages and errors reported since the last ResetWorld.
TTestPlatform& Reports();

// Wires and resets as the runner does, on the recording platform, then leaves the world alone: the
// test names, no event dispatch, no sprite shapes; the id counters at 100000 and 10000000.
void ResetWorld();

// Writes the project and reads its resource sections back into the tables; false when a section fails.
// The project needs a room order.
bool LoadProject(const RGameProject& project);

// A code action and a function action as a project writes them.
RPackAction CodeAction(const std::string& code);
RPackEvent Event(int32_t type, int32_t number, std::vector<RPackAction> actions);

} // namespace vl::test
