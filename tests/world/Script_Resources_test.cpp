// Scripts, constants and triggers as a loaded game uses them.
#include "data/Support_Stream.h"
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Function.h"
#include "script/Code_Main.h"
#include "script/Constant_Main.h"
#include "script/Script_Class.h"
#include "script/Trigger_Class.h"
#include "tests/world/World_Test_Support.h"
#include "world/Constant_Define.h"
#include "world/Event_Class.h"
#include "world/Game_Names.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/Trigger_Step.h"
#include "world/Variable_World.h"
#include "world/World_Host.h"
#include "world/World_Run.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

// The game's names as the runner resolves them: scripts before built-in functions.
class CNames final : public CCodeNames {
public:
  int32_t FindFunction(std::string_view name) const override {
    const int32_t script = Scripts().Find(name);
    return script >= 0 ? kFirstScriptFunction + script : FindBuiltinFunction(name);
  }
  int32_t FunctionArgCount(int32_t id) const override {
    const RFunction* f = id < kFirstScriptFunction ? GetBuiltinFunction(id) : nullptr;
    return f ? f->f_argnumb : -1;
  }
  bool LookupName(std::string_view name, RValue& value) const override { return LookupGameName(name, value); }
};

class CHost final : public CWorldHost {
public:
  const CCode* ScriptCode(int32_t n) const override { return vl::ScriptCode(n); }
  const std::string& ScriptName(int32_t n) const override { return Scripts().Name(n); }
  bool CallExtension(int32_t, CInstance*, CInstance*, int32_t, const RValue*, RValue&) override {
    return false;
  }
};

struct RPerformed {
  int32_t id, type, number;
  bool operator==(const RPerformed&) const = default;
};
std::vector<RPerformed> Performed;

void Record(CInstance* self, CInstance*, int32_t type, int32_t number) {
  Performed.push_back({self->i_id, type, number});
}

void AddScript(const std::string& name, const std::string& text) {
  auto script = std::make_unique<CScript>();
  script->s_text = text;
  Scripts().t_items.push_back(std::move(script));
  Scripts().t_names.push_back(name);
}

class Resources : public testing::Test {
protected:
  void SetUp() override {
    test::ResetWorld();
    RegisterBuiltinVariables();
    SetCodeNames(&names);
    SetCodeHost(&host);
    PlayState().ps_room = &room;
    static test::CPerformRecorder recorder(Record);
    SetPlayHost(&recorder);
    Performed.clear();
  }
  void TearDown() override { test::ResetWorld(); }
  // The value code returns, or the string "ERROR".
  RValue Eval(const std::string& text) {
    CCode code(text, false);
    RValue result;
    CInstance self(100000, 0, 0, 0);
    if (!code.Compile() || !RunCodeOrError(&self, &self, code, result))
      result = RValue(std::string_view("ERROR"));
    ClearError();
    return result;
  }

  CNames names;
  CHost host;
  CRoom room;
};

TEST_F(Resources, BuiltinConstantsHaveTheirValues) {
  const std::pair<const char*, double> cases[] = {
      {"c_red", 255},          {"c_orange", 4235519},  {"vk_f12", 123},    {"vk_return", 13},
      {"ev_user15", 25},       {"cr_arrrow", -2},      {"cr_arrow", -2},   {"bm_src_alpha_sat", 11},
      {"OEM_CHARSET", 255},    {"noone", -4},          {"ev_step_end", 2}, {"pi", 3.141592653589793},
      {"ps_change_motion", 2}, {"device_ios_ipad", 2}, {"input_type", 2},  {"fa_archive", 32},
  };
  for (const auto& [name, value] : cases) {
    RValue v;
    ASSERT_TRUE(FindConstant(name, v)) << name;
    EXPECT_EQ(v.Real(), value) << name;
  }
  RValue v;
  EXPECT_FALSE(FindConstant("c_pink", v));
}

TEST_F(Resources, AGameConstantHidesABuiltinOneAndAnObjectHidesBoth) {
  ASSERT_TRUE(DefineConstant("c_red", "1"));
  EXPECT_EQ(Eval("return c_red").Real(), 1);
  Objects().Add();
  Objects().t_names.back() = "c_red";
  EXPECT_EQ(Eval("return c_red").Real(), 0);
}

TEST_F(Resources, ConstantNamesAreCheckedAndTrimmed) {
  EXPECT_FALSE(DefineConstant("2fast", "1"));
  ASSERT_EQ(test::Reports().messages.size(), 1u);
  EXPECT_EQ(test::Reports().messages[0], "Constant name 2fast  is not valid.");
  EXPECT_FALSE(DefineConstant("", "1"));
  EXPECT_FALSE(DefineConstant("a-b", "1"));
  ASSERT_TRUE(DefineConstant(" speed_max ", "4 * 2"));
  EXPECT_EQ(Eval("return speed_max").Real(), 8);
}

TEST_F(Resources, AConstantMayUseOnlyEarlierConstants) {
  GameData().gd_constants = {{"later", "first_const + 1"}, {"first_const", "2"}};
  EXPECT_FALSE(DefineConstants());
  ASSERT_FALSE(test::Reports().messages.empty());
  EXPECT_EQ(test::Reports().messages.back(), "Value for constant later  is not valid.");
  GameData().gd_constants = {{"first_const", "2"}, {"later", "first_const + 1"}};
  EXPECT_TRUE(DefineConstants());
  EXPECT_EQ(Eval("return later").Real(), 3);
  GameData().gd_constants.clear();
}

TEST_F(Resources, AConstantCallingAScriptFailsBeforeScriptsAreCompiled) {
  AddScript("make", "return 5");
  EXPECT_FALSE(DefineConstant("five", "make()"));
  EXPECT_EQ(test::Reports().messages.back(), "Value for constant five  is not valid.");
}

TEST_F(Resources, AScriptCallsAScript) {
  AddScript("add_one", "return argument0 + 1");
  AddScript("twice", "return add_one(add_one(argument0))");
  ASSERT_TRUE(CompileScripts());
  EXPECT_EQ(Eval("return twice(3)").Real(), 5);
  // Without parentheses a script name is its number.
  EXPECT_EQ(Eval("return twice").Real(), 1);
  EXPECT_EQ(Scripts().Find("twice"), 1);
  EXPECT_EQ(Scripts().Find("Twice"), -1);
  EXPECT_EQ(Scripts().Name(7), "<undefined>");
}

TEST_F(Resources, AScriptThatDoesNotCompileEndsTheGame) {
  AddScript("fine", "return 1");
  AddScript("broken", "return (1");
  EXPECT_FALSE(CompileScripts());
  ASSERT_EQ(test::Reports().errors.size(), 1u);
  EXPECT_EQ(test::Reports().errors[0].rfind("COMPILATION ERROR in Script: broken\r", 0), 0u)
      << test::Reports().errors[0];
  EXPECT_NE(ScriptCode(0), nullptr);
  EXPECT_EQ(ScriptCode(1), nullptr);
}

CTrigger* AddTrigger(const std::string& name, const std::string& condition, int32_t moment) {
  auto trigger = std::make_unique<CTrigger>();
  trigger->i_name = name;
  trigger->i_condition = condition;
  trigger->i_moment = moment;
  trigger->i_constname = name + "_const";
  Triggers().t_items.push_back(std::move(trigger));
  Triggers().t_names.push_back(name);
  return Triggers().t_items.back().get();
}

// An object with a trigger event for trigger 0 and two instances of it, one marked deleted.
class TriggerMoments : public Resources {
protected:
  void SetUp() override {
    Resources::SetUp();
    object = Objects().Add();
    Objects().Get(object)->CreateEvent(ev_trigger, 0)->AddCodeAction("x = 1");
    a = room.AddInstance(object, 0, 0)->i_id;
    room.AddInstance(object, 0, 0)->i_marked = true;
    room.AddInstance(Objects().Add(), 0, 0); // an object without the event
  }
  int32_t object = 0, a = 0;
};

TEST_F(TriggerMoments, AConditionRaisesTheEventAtItsMomentOnly) {
  AddTrigger("always", "return 1", CTrigger::kMomentEnd);
  ASSERT_TRUE(PrepareTriggers());
  Trigger_Step(CTrigger::kMomentBegin);
  Trigger_Step(CTrigger::kMomentNormal);
  EXPECT_TRUE(Performed.empty());
  Trigger_Step(CTrigger::kMomentEnd);
  Trigger_Step(CTrigger::kMomentEnd);
  const std::vector<RPerformed> want = {{a, ev_trigger, 0}, {a, ev_trigger, 0}};
  EXPECT_EQ(Performed, want);
  EXPECT_EQ(Eval("return always_const").Real(), 0);
}

TEST_F(TriggerMoments, ChildrenInheritTheTriggerEvent) {
  const int32_t child = Objects().Add();
  Objects().SetParent(child, object);
  const int32_t c = room.AddInstance(child, 0, 0)->i_id;
  AddTrigger("always", "return 1", CTrigger::kMomentNormal);
  ASSERT_TRUE(PrepareTriggers());
  Trigger_Step(CTrigger::kMomentNormal);
  const std::vector<RPerformed> want = {{a, ev_trigger, 0}, {c, ev_trigger, 0}};
  EXPECT_EQ(Performed, want);
}

TEST_F(TriggerMoments, OnlyARealOfOneHalfOrMoreHolds) {
  const std::pair<const char*, bool> cases[] = {
      {"return \"yes\"", false}, {"return 0.49", false}, {"return 0.5", true}, {"return x >= 0", true}};
  for (const auto& [condition, holds] : cases) {
    Triggers().ClearAll();
    Performed.clear();
    AddTrigger("t", condition, CTrigger::kMomentNormal);
    ASSERT_TRUE(PrepareTriggers());
    Trigger_Step(CTrigger::kMomentNormal);
    EXPECT_EQ(Performed.size(), holds ? 1u : 0u) << condition;
  }
}

TEST_F(TriggerMoments, AFailingConditionIsReportedAndTheNextInstanceTested) {
  test::Reports().errorAnswer = EErrorAnswer::Ignore;
  room.AddInstance(object, 0, 0);
  AddTrigger("bad", "return undefined_thing", CTrigger::kMomentBegin);
  ASSERT_TRUE(PrepareTriggers());
  Trigger_Step(CTrigger::kMomentBegin);
  ASSERT_EQ(test::Reports().errors.size(), 2u);
  EXPECT_EQ(test::Reports().errors[0].rfind("ERROR in trigger bad\r", 0), 0u) << test::Reports().errors[0];
  EXPECT_TRUE(Performed.empty());
}

TEST_F(TriggerMoments, AConditionWithoutReturnDoesNotCompile) {
  AddTrigger("first", "return 1", CTrigger::kMomentBegin);
  AddTrigger("cmp", "x > 5", CTrigger::kMomentBegin);
  EXPECT_FALSE(PrepareTriggers());
  ASSERT_EQ(test::Reports().errors.size(), 1u);
  const std::string& error = test::Reports().errors[0];
  EXPECT_EQ(error.rfind("COMPILATION ERROR in condition of trigger cmp\r", 0), 0u) << error;
  EXPECT_NE(error.find("Assignment operator expected."), std::string::npos) << error;
}

TEST_F(Resources, TriggerTableNamesAndConstants) {
  AddTrigger("first", "return 1", 1);
  Triggers().t_items.emplace_back();
  Triggers().t_names.emplace_back();
  AddTrigger("third", "return 1", 1);
  EXPECT_EQ(Triggers().Name(1), "<Deleted>");
  EXPECT_EQ(Triggers().Name(2), "third");
  EXPECT_EQ(Triggers().FindConstant("third_const"), 2);
  EXPECT_EQ(Triggers().FindConstant("missing"), -1);
  EXPECT_TRUE(Triggers().Exists(0));
  EXPECT_FALSE(Triggers().Exists(1));
}

} // namespace
} // namespace vl

namespace vl {
namespace {

TEST_F(Resources, SectionsRoundTripThroughTheWriter) {
  RGameProject project;
  project.gp_roomorder = {0};
  project.gp_rooms.emplace_back(RPackRoom{.name = "first"});
  project.gp_scripts = {RPackScript{"one", "return 1"}, std::nullopt, RPackScript{"three", "return 3"}};
  project.gp_triggers = {std::nullopt, RPackTrigger{"near", "return x < 10", 2, "trig_near"}};
  project.gp_game.gd_constants = {{"lives_max", "3"}};
  ASSERT_TRUE(test::LoadProject(project));
  ASSERT_EQ(Scripts().Count(), 3);
  EXPECT_FALSE(Scripts().Exists(1));
  EXPECT_EQ(Scripts().t_names[1], "");
  EXPECT_EQ(Scripts().Name(2), "three");
  EXPECT_EQ(Scripts().Get(2)->s_text, "return 3");
  ASSERT_EQ(Triggers().Count(), 2);
  EXPECT_EQ(Triggers().Name(0), "<Deleted>");
  const CTrigger* near = Triggers().Get(1);
  ASSERT_NE(near, nullptr);
  EXPECT_EQ(near->i_condition, "return x < 10");
  EXPECT_EQ(near->i_moment, 2);
  EXPECT_EQ(near->i_constname, "trig_near");
  ASSERT_TRUE(DefineConstants());
  ASSERT_TRUE(PrepareTriggers());
  ASSERT_TRUE(CompileScripts());
  EXPECT_EQ(Eval("return three() + lives_max + trig_near + one").Real(), 3 + 3 + 1 + 0);
  GameData().gd_constants.clear();
}

TEST_F(Resources, AWrongRecordVersionFailsTheSection) {
  CStream section;
  section.WriteInteger(800);
  section.WriteInteger(1);
  CStream block;
  block.WriteBoolean(true);
  block.WriteString("name");
  block.WriteInteger(799);
  block.WriteString("return 1");
  section.WriteStreamC(block);
  section.Seek(0);
  EXPECT_FALSE(Scripts().LoadSection(section));
  CStream wrong;
  wrong.WriteInteger(810);
  wrong.WriteInteger(0);
  wrong.Seek(0);
  EXPECT_FALSE(Triggers().LoadSection(wrong));
}

} // namespace
} // namespace vl
