#include "runner/Run_Error.h"
#include "script/Code_Error.h"
#include "tests/world/World_Test_Support.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Report.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

using test::CodeAction;
using test::Event;
using test::Reports;

class Objects_ : public testing::Test {
protected:
  void SetUp() override { test::ResetWorld(); }
  void TearDown() override { test::ResetWorld(); }

  // Adds an object with a parent and a one-action event per (type, number) given.
  int32_t Add(int32_t parent, std::vector<std::pair<int32_t, int32_t>> events = {}) {
    const int32_t index = Objects().Add();
    Objects().SetParent(index, parent);
    for (auto [type, number] : events)
      Objects().Get(index)->CreateEvent(type, number)->AddCodeAction("x = 1");
    return index;
  }
  CEvent* Lookup(int32_t object, int32_t type, int32_t number) {
    return Objects().Get(object)->GetEventRecursive(type, number);
  }
  CEvent* Own(int32_t object, int32_t type, int32_t number) {
    return Objects().Get(object)->GetEventDirect(type, number);
  }
};

TEST_F(Objects_, NewObjectHasTheDefaults) {
  const int32_t a = Objects().Add();
  const CObject& o = *Objects().Get(a);
  EXPECT_EQ(o.o_spriteindex, -1);
  EXPECT_TRUE(o.o_visible);
  EXPECT_EQ(o.o_parent, -1);
  EXPECT_EQ(o.o_mask, -1);
  EXPECT_EQ(Objects().Name(a), "__newobject0");
  EXPECT_EQ(Objects().Name(7), "<undefined>");
  EXPECT_EQ(Objects().Find("__newobject0"), 0);
  EXPECT_EQ(Objects().Find("__newobject"), -1);
}

TEST_F(Objects_, CreateEventRejectsBadCoordinates) {
  CObject o;
  EXPECT_EQ(o.CreateEvent(12, 0), nullptr);
  EXPECT_EQ(o.CreateEvent(-1, 0), nullptr);
  EXPECT_EQ(o.CreateEvent(3, -1), nullptr);
  EXPECT_EQ(o.CreateEvent(3, 2), o.CreateEvent(3, 2));
}

TEST_F(Objects_, AnEventWithoutActionsIsAbsentAndTheParentsIsUsed) {
  const int32_t parent = Add(-1, {{3, 0}});
  const int32_t child = Add(parent);
  Objects().Get(child)->CreateEvent(3, 0); // present in the record, but empty
  EXPECT_EQ(Own(child, 3, 0), nullptr);
  EXPECT_FALSE(Objects().Get(child)->HasEventDirect(3));
  EXPECT_EQ(Lookup(child, 3, 0), Own(parent, 3, 0));
}

TEST_F(Objects_, InheritanceThroughSeveralParentsPrefersTheNearest) {
  const int32_t a = Add(-1, {{3, 0}, {2, 1}});
  const int32_t b = Add(a, {{3, 0}});
  const int32_t c = Add(b);
  const int32_t d = Add(c);
  EXPECT_EQ(Lookup(d, 3, 0), Own(b, 3, 0));
  EXPECT_EQ(Lookup(d, 2, 1), Own(a, 2, 1));
  EXPECT_EQ(Lookup(d, 2, 0), nullptr);
  EXPECT_TRUE(Objects().Get(d)->HasEventRecursive(2));
  EXPECT_FALSE(Objects().Get(d)->HasEventRecursive(8));
  int32_t owner = -1;
  EXPECT_EQ(Objects().FindEvent(d, 2, 1, &owner), Own(a, 2, 1));
  EXPECT_EQ(owner, a);
  EXPECT_EQ(Objects().FindEvent(b, 3, 0, &owner), Own(b, 3, 0));
  EXPECT_EQ(owner, b);
}

TEST_F(Objects_, IsDecendentOf) {
  const int32_t a = Add(-1);
  const int32_t b = Add(a);
  const int32_t c = Add(b);
  EXPECT_TRUE(Objects().Get(c)->IsDecendentOf(a));
  EXPECT_TRUE(Objects().Get(c)->IsDecendentOf(b));
  EXPECT_FALSE(Objects().Get(c)->IsDecendentOf(c));
  EXPECT_FALSE(Objects().Get(a)->IsDecendentOf(c));
}

TEST_F(Objects_, CollisionWithAChildOfTheNamedObject) {
  const int32_t b = Add(-1);
  const int32_t c = Add(b);            // C's parent is B
  const int32_t a = Add(-1, {{4, b}}); // A collides with B
  EXPECT_EQ(Lookup(a, 4, c), Own(a, 4, b));
  // An event with C itself wins, also when only A's parent has it.
  const int32_t child = Add(a);
  EXPECT_EQ(Lookup(child, 4, c), Own(a, 4, b));
  Objects().Get(a)->CreateEvent(4, c)->AddCodeAction("x = 2");
  EXPECT_EQ(Lookup(child, 4, c), Own(a, 4, c));
}

TEST_F(Objects_, CollisionPrefersOwnEventsAndNearerAncestors) {
  const int32_t g = Add(-1);
  const int32_t p = Add(g);
  const int32_t o = Add(p); // the other object: O, parent P, grandparent G
  const int32_t base = Add(-1, {{4, p}});
  const int32_t self = Add(base, {{4, g}});
  // For P the inherited event of base wins over self's own event for the farther G.
  EXPECT_EQ(Lookup(self, 4, o), Own(base, 4, p));
  const int32_t lone = Add(-1, {{4, g}});
  EXPECT_EQ(Lookup(lone, 4, o), Own(lone, 4, g));
}

TEST_F(Objects_, ParentCyclesEnd) {
  const int32_t a = Add(-1, {{3, 1}});
  const int32_t b = Add(a);
  Objects().SetParent(a, b); // a -> b -> a
  const int32_t c = Add(b);
  EXPECT_EQ(Objects().Chain(c), (std::vector<int32_t>{c, b, a}));
  EXPECT_EQ(Lookup(c, 3, 0), nullptr);
  EXPECT_EQ(Lookup(c, 3, 1), Own(a, 3, 1));
  EXPECT_EQ(Lookup(c, 4, a), nullptr);
  EXPECT_EQ(Lookup(a, 4, c), nullptr);
  EXPECT_FALSE(Objects().Get(c)->HasEventRecursive(8));
  EXPECT_TRUE(Objects().Get(a)->IsDecendentOf(a)); // its own ancestor through the cycle
  EXPECT_FALSE(Objects().Get(c)->IsDecendentOf(c));
  const int32_t self = Add(-1);
  Objects().SetParent(self, self);
  EXPECT_EQ(Objects().Chain(self), (std::vector<int32_t>{self}));
  EXPECT_TRUE(Objects().Get(self)->IsDecendentOf(self));
}

TEST_F(Objects_, AGameWithAParentCycleLoads) {
  RGameProject project;
  project.gp_roomorder = {0};
  RPackObject a{"a"}, b{"b"};
  a.parent = 1;
  b.parent = 0;
  a.events.push_back(Event(4, 1, {CodeAction("x = 1")}));
  project.gp_objects = {a, b};
  RPackRoom room;
  room.instances = {{0, 0, 0, 100001, ""}, {0, 0, 1, 100002, ""}};
  project.gp_rooms = {room};
  ASSERT_TRUE(test::LoadProject(project));
  EXPECT_EQ(Objects().FindEvent(1, 4, 0), Own(0, 4, 1)); // b inherits a's collision with b
  EXPECT_EQ(Objects().FindEvent(1, 3, 0), nullptr);
  EXPECT_TRUE(Objects().CompileAll());
  const CRoom& r = *Rooms().Get(0);
  EXPECT_EQ(r.Obj_Number_Recursive(0), 2);
  EXPECT_EQ(r.Obj_Number_Recursive(1), 2);
}

TEST_F(Objects_, ChainsFollowParentChangesAndDeletion) {
  const int32_t a = Add(-1, {{3, 0}});
  const int32_t b = Add(-1);
  EXPECT_EQ(Lookup(b, 3, 0), nullptr);
  Objects().SetParent(b, a);
  EXPECT_EQ(Lookup(b, 3, 0), Own(a, 3, 0));
  Objects().Delete(a);
  EXPECT_EQ(Objects().Chain(b), (std::vector<int32_t>{b}));
  EXPECT_EQ(Lookup(b, 3, 0), nullptr);
}

TEST_F(Objects_, ALoadedGameHasItsOwnChains) {
  const int32_t b = Add(Add(-1));
  EXPECT_EQ(Objects().Chain(b), (std::vector<int32_t>{1, 0}));
  RGameProject project;
  project.gp_roomorder = {0};
  project.gp_objects = {RPackObject(), RPackObject()};
  project.gp_rooms.emplace_back(RPackRoom{});
  ASSERT_TRUE(test::LoadProject(project));
  EXPECT_EQ(Objects().Chain(1), (std::vector<int32_t>{1}));
}

// ---- Compilation --------------------------------------------------------------------------------

CAction Function(std::vector<std::pair<int32_t, std::string>> args) {
  CAction action;
  action.act_exetype = CAction::kExeFunction;
  action.act_argumentcount = int32_t(args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    action.act_argtype[i] = args[i].first;
    action.act_argstring[i] = args[i].second;
  }
  return action;
}

TEST_F(Objects_, ArgumentKinds) {
  struct Case {
    int32_t kind;
    std::string text;
    bool constant;
    RValue value;
  };
  const std::vector<Case> cases = {
      {2, "'abc'", true, RValue(std::string_view("abc"))}, // quoted: an expression giving the string
      {2, "abc", true, RValue(std::string_view("abc"))},   // unquoted: the string itself
      {2, "", true, RValue(std::string_view(""))},
      {1, "3+4", true, RValue(std::string_view("3+4"))},
      {15, "Arial", true, RValue(std::string_view("Arial"))},
      {0, "3+4", true, RValue(7.0)}, // folded
      {4, "x + 1", false, RValue()}, // a resource kind compiles as an expression
  };
  for (const Case& c : cases) {
    CAction action = Function({{c.kind, c.text}});
    ASSERT_TRUE(action.Compile()) << c.text;
    EXPECT_EQ(action.act_argtype[0], c.constant ? CAction::kArgConstant : CAction::kArgExpression) << c.text;
    EXPECT_TRUE(action.act_argstring[0].empty());
    if (c.constant) {
      EXPECT_EQ(action.act_argcode[0], nullptr);
      EXPECT_EQ(action.act_argvalue[0].Kind(), c.value.Kind()) << c.text;
      EXPECT_EQ(action.act_argvalue[0].Str(), c.value.Str()) << c.text;
      if (c.value.IsReal()) {
        EXPECT_EQ(action.act_argvalue[0].Real(), c.value.Real()) << c.text;
      }
    } else {
      ASSERT_NE(action.act_argcode[0], nullptr);
    }
  }
}

TEST_F(Objects_, VariableAndCodeActionsBecomeCode) {
  struct Case {
    int32_t kind;
    bool relative;
    std::string arg0;
    std::string expected;
  };
  for (const Case& c :
       {Case{CAction::kVariable, true, "x", "x += 5"}, Case{CAction::kVariable, false, "x", "x = 5"},
        Case{CAction::kCode, true, "y = 2", "y = 2"}}) {
    CAction action(c.kind);
    action.act_exetype = CAction::kExeCode;
    action.act_relative = c.relative;
    action.act_argumentcount = 2;
    action.act_argstring[0] = c.arg0;
    action.act_argstring[1] = "5";
    ASSERT_TRUE(action.Compile());
    EXPECT_EQ(action.act_kind, CAction::kNormal);
    EXPECT_EQ(action.act_argumentcount, 0);
    ASSERT_NE(action.act_codecode, nullptr);
    EXPECT_EQ(action.act_codecode->GetText(), c.expected);
    EXPECT_TRUE(action.act_codestring.empty());
  }
}

TEST_F(Objects_, CompileErrorsAreFatalAndNameTheirPlace) {
  const int32_t ok = Add(-1, {{0, 0}});
  const int32_t bad = Objects().Add();
  CEvent* event = Objects().Get(bad)->CreateEvent(2, 3);
  event->AddCodeAction("x = 1");
  event->AddCodeAction("x = = 1");
  EXPECT_FALSE(Objects().CompileAll());
  ASSERT_EQ(Reports().errors.size(), 1u);
  const std::string header = "FATAL ERROR in\raction number 2\rof Alarm Event for alarm 3\rfor object ";
  EXPECT_EQ(Reports().errors[0].rfind(header, 0), 0u) << Reports().errors[0];
  EXPECT_NE(Reports().errors[0].find(":\r\rCOMPILATION ERROR in code action\r"), std::string::npos)
      << Reports().errors[0];
  EXPECT_EQ(New_Room, kRoomFatal);
  EXPECT_EQ(CurrentEvent().event_object, bad);
  EXPECT_EQ(CurrentEvent().event_type, 2);
  EXPECT_EQ(CurrentEvent().event_number, 3);
  EXPECT_EQ(CurrentEvent().event_action, 1);
  EXPECT_NE(Objects().Get(ok)->GetEventDirect(0, 0)->Action(0)->act_codecode, nullptr);

  ErrorState().es_aborting = false; // as in a new run: a fatal report silences everything after it
  CAction argument = Function({{0, "1"}, {0, "(2"}});
  EXPECT_FALSE(argument.Compile());
  ASSERT_EQ(Reports().errors.size(), 2u);
  EXPECT_NE(Reports().errors[1].find("\r\rCOMPILATION ERROR in argument 1\r"), std::string::npos)
      << Reports().errors[1];
}

TEST_F(Objects_, EventActionsByIndex) {
  CEvent event;
  event.AddCodeAction("a = 1");
  EXPECT_EQ(event.Number(), 1);
  EXPECT_NE(event.Action(0), nullptr);
  EXPECT_EQ(event.Action(1), nullptr);
  EXPECT_EQ(event.Action(-1), nullptr);
  EXPECT_EQ(event.Action(0)->act_kind, CAction::kCode);
  EXPECT_EQ(event.Action(0)->act_exetype, CAction::kExeCode);
  EXPECT_EQ(event.Action(0)->act_argstring[0], "a = 1");
}

// ---- Records ------------------------------------------------------------------------------------

TEST_F(Objects_, ObjectsLoadFromTheGameData) {
  RGameProject project;
  project.gp_roomorder = {0};
  RPackObject parent;
  parent.name = "obj_parent";
  parent.events.push_back(Event(3, 0, {CodeAction("x += 1")}));
  RPackObject child;
  child.name = "obj_child";
  child.sprite = 4;
  child.solid = true;
  child.visible = false;
  child.depth = -7;
  child.persistent = true;
  child.parent = 0;
  child.mask = 2;
  RPackAction call;
  call.exetype = 1;
  call.function = "action_test";
  call.args = {"1", "'a'"};
  call.argkinds = {0, 2};
  call.who = -2;
  call.relative = true;
  call.isquestion = true;
  call.isnot = true;
  RPackAction missing;
  missing.exetype = 1;
  missing.function = "no_such_function";
  child.events.push_back(Event(4, 1, {call, missing}));
  child.events.push_back(Event(7, 10, {}));
  project.gp_objects = {parent, std::nullopt, child};
  ASSERT_TRUE(test::LoadProject(project));

  ASSERT_EQ(Objects().Count(), 3);
  EXPECT_FALSE(Objects().Exists(1));
  EXPECT_EQ(Objects().Find("obj_child"), 2);
  const CObject& o = *Objects().Get(2);
  EXPECT_EQ(o.o_spriteindex, 4);
  EXPECT_TRUE(o.o_solid);
  EXPECT_FALSE(o.o_visible);
  EXPECT_EQ(o.o_depth, -7);
  EXPECT_TRUE(o.o_persistent);
  EXPECT_EQ(o.o_parent, 0);
  EXPECT_EQ(o.o_mask, 2);
  EXPECT_NE(o.GetEventRecursive(3, 0), nullptr);
  EXPECT_EQ(o.GetEventDirect(7, 10), nullptr);
  const CEvent* collision = o.GetEventDirect(4, 1);
  ASSERT_NE(collision, nullptr);
  ASSERT_EQ(collision->Number(), 2);
  const CAction& a = *collision->Action(0);
  EXPECT_GE(a.act_functionid, 0);
  EXPECT_EQ(a.act_argumentcount, 2);
  EXPECT_EQ(a.act_argtype[1], 2);
  EXPECT_EQ(a.act_argstring[1], "'a'");
  EXPECT_EQ(a.act_who, -2);
  EXPECT_TRUE(a.act_relative);
  EXPECT_TRUE(a.act_isquestion);
  EXPECT_TRUE(a.act_isnot);
  EXPECT_EQ(collision->Action(1)->act_functionid, -1);
  EXPECT_EQ(Reports().messages,
            std::vector<std::string>{"Failed to locate action function no_such_function"});

  EXPECT_TRUE(Objects().CompileAll());
  EXPECT_EQ(a.act_argtype[1], CAction::kArgConstant);
  EXPECT_EQ(a.act_argvalue[1].Str(), "a");
}

TEST_F(Objects_, RecordVersions) {
  CStream object;
  object.WriteInteger(430);
  for (int32_t v : {-1}) object.WriteInteger(v); // sprite
  object.WriteBoolean(false);
  object.WriteBoolean(true);
  object.WriteInteger(0);
  object.WriteBoolean(false);
  object.WriteInteger(-1);
  object.WriteInteger(-1);
  object.WriteInteger(3); // types 0..3
  object.WriteInteger(-1);
  object.WriteInteger(-1);
  object.WriteInteger(-1);
  object.WriteInteger(0); // step 0 with an event of another version: stays empty
  object.WriteInteger(401);
  object.WriteInteger(-1);
  object.Seek(0);
  CObject o;
  ASSERT_TRUE(o.LoadFromStream(object));
  EXPECT_EQ(o.GetEventDirect(3, 0), nullptr);

  CStream wrong;
  wrong.WriteInteger(431);
  wrong.Seek(0);
  EXPECT_FALSE(o.LoadFromStream(wrong));

  CStream action;
  action.WriteInteger(439);
  action.Seek(0);
  CAction a;
  EXPECT_FALSE(a.LoadFromStream(action));
  EXPECT_EQ(a.act_functionid, -1);
}

TEST_F(Objects_, EventNames) {
  const int32_t wall = Objects().Add();
  Objects().t_names[size_t(wall)] = "obj_wall";
  const std::vector<std::tuple<int32_t, int32_t, std::string>> cases = {
      {0, 0, "Create Event"},
      {1, 0, "Destroy Event"},
      {2, 11, "Alarm Event for alarm 11"},
      {3, 0, " Step Event"},
      {3, 1, "Begin Step Event"},
      {3, 2, "End Step Event"},
      {3, 3, "<unknown> Step Event"},
      {4, wall, "Collision Event with object obj_wall"},
      {4, 9, "Collision Event with object <undefined>"},
      {5, 65, "Keyboard Event for A-key Key"},
      {5, 0, "Keyboard Event for <no key> Key"},
      {9, 97, "Key Press Event for Keypad 1 Key"},
      {10, 123, "Key Release Event for F12 Key"},
      {10, 107, "Key Release Event for Keypad + Key"},
      {10, 200, "Key Release Event for <unknown> Key"},
      {6, 0, "Mouse Event for Left Button"},
      {6, 11, "Mouse Event for Mouse Leave"},
      {6, 19, "Mouse Event for Joystick 1 Down"},
      {6, 21, "Mouse Event for Joystick 1 Button 1"},
      {6, 43, "Mouse Event for Joystick 2 Button 8"},
      {6, 58, "Mouse Event for Glob Middle Released"},
      {6, 61, "Mouse Event for Mouse Wheel Down"},
      {6, 20, "Mouse Event for <unknown>"},
      {7, 8, "Other Event: End Of Path"},
      {7, 25, "Other Event: User Defined 15"},
      {7, 30, "Other Event: Close Button"},
      {7, 47, "Other Event: Outside View 7"},
      {7, 50, "Other Event: Boundary View 0"},
      {7, 26, "Other Event: <unknown>"},
      {8, 0, "Draw Event"},
      {11, 0, "Trigger Event: <Deleted>"},
      {12, 0, "<Unknown Event>"},
  };
  for (const auto& [type, number, name] : cases) EXPECT_EQ(EventName(type, number), name);
}

} // namespace
} // namespace vl
