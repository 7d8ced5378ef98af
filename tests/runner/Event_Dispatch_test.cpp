// Action lists: blocks, questions with else, repeats, exits and apply-to, performed for instances
// of a room being played.
#include "runner/Event_Action.h"
#include "runner/Event_Main.h"
#include "runner/Run_Main.h"
#include "script/Code_Function.h"
#include "script/Variable_Class.h"
#include "tests/runner/Run_Test_Support.h"
#include "world/Action_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Report.h"
#include "world/World_Run.h"

#include <gtest/gtest.h>

namespace vl::test {
namespace {

class Dispatch : public RunnerGame {
protected:
  // Plays an empty room 0 and adds instances of obj to it.
  CInstance* Add(int32_t obj) {
    if (!PlayState().ps_room) {
      Room();
      Game_Start();
    }
    return PlayState().ps_room->AddInstance(obj, 0, 0);
  }
  CAction Code(const std::string& text) { return CAction::CreateCode(text); }
  void Tag(CInstance* inst, int32_t tag) {
    inst->i_vars.SetVar(FindOrAddUserVariable("tag"), 0, RValue(double(tag)));
  }
  int32_t TraceId() const { return FindBuiltinFunction("trace"); }
};

TEST_F(Dispatch, QuestionsElseAndNot) {
  struct RCase {
    std::string answer; // what the question's code returns
    bool isnot;
    std::string ran;
  };
  const RCase cases[] = {{"1", false, "A"}, {"0", false, "B"}, {"1", true, "B"}, {"0", true, "A"}};
  for (const RCase& c : cases) {
    SetUp();
    const int32_t obj = Object("obj");
    CEvent& e = On(obj, ev_other, 10);
    CAction question = Code("return " + c.answer);
    question.act_isquestion = true;
    question.act_isnot = c.isnot;
    e.e_actions.push_back(std::move(question));
    e.e_actions.push_back(Code("trace('A')"));
    e.e_actions.push_back(KindAction(CAction::kElse));
    e.e_actions.push_back(Code("trace('B')"));
    Compile();
    CInstance* inst = Add(obj);
    Perform_Event(inst, inst, ev_other, 10);
    EXPECT_EQ(Trace(), c.ran) << c.answer << " not " << c.isnot;
    TearDown();
  }
}

TEST_F(Dispatch, RepeatsBlocksAndExit) {
  struct RCase {
    std::string count;
    std::string ran;
  };
  for (const RCase& c : {RCase{"3", "a b a b a b end"}, RCase{"0", "end"}, RCase{"2.5", "a b a b end"}}) {
    SetUp();
    const int32_t obj = Object("obj");
    CEvent& e = On(obj, ev_other, 10);
    CAction repeat(CAction::kRepeat);
    repeat.act_argumentcount = 1;
    repeat.act_argstring[0] = c.count;
    e.e_actions.push_back(std::move(repeat));
    e.e_actions.push_back(KindAction(CAction::kBeginBlock));
    e.e_actions.push_back(Code("trace('a')"));
    e.e_actions.push_back(Code("trace('b')"));
    e.e_actions.push_back(KindAction(CAction::kEndBlock));
    e.e_actions.push_back(Code("trace('end')"));
    Compile();
    CInstance* inst = Add(obj);
    Perform_Event(inst, inst, ev_other, 10);
    EXPECT_EQ(Trace(), c.ran) << c.count;
    TearDown();
  }
}

TEST_F(Dispatch, ExitInsideABlockEndsTheEvent) {
  const int32_t obj = Object("obj");
  CEvent& e = On(obj, ev_other, 10);
  e.e_actions.push_back(KindAction(CAction::kBeginBlock));
  e.e_actions.push_back(Code("trace('in')"));
  e.e_actions.push_back(KindAction(CAction::kExit));
  e.e_actions.push_back(Code("trace('after exit')"));
  e.e_actions.push_back(KindAction(CAction::kEndBlock));
  e.e_actions.push_back(Code("trace('after block')"));
  Compile();
  CInstance* inst = Add(obj);
  Perform_Event(inst, inst, ev_other, 10);
  EXPECT_EQ(Trace(), "in");
}

TEST_F(Dispatch, FalseQuestionSkipsANestedBlock) {
  const int32_t obj = Object("obj");
  CEvent& e = On(obj, ev_other, 10);
  CAction question = Code("return 0");
  question.act_isquestion = true;
  e.e_actions.push_back(std::move(question));
  e.e_actions.push_back(KindAction(CAction::kBeginBlock));
  e.e_actions.push_back(KindAction(CAction::kBeginBlock));
  e.e_actions.push_back(Code("trace('inner')"));
  e.e_actions.push_back(KindAction(CAction::kEndBlock));
  e.e_actions.push_back(Code("trace('outer')"));
  e.e_actions.push_back(KindAction(CAction::kEndBlock));
  e.e_actions.push_back(Code("trace('next')"));
  Compile();
  CInstance* inst = Add(obj);
  Perform_Event(inst, inst, ev_other, 10);
  EXPECT_EQ(Trace(), "next");
}

TEST_F(Dispatch, ApplyToOtherAndToAnObjectWithItsChildren) {
  const int32_t base = Object("base"), child = Object("child", base), caller = Object("caller");
  CEvent& e = On(caller, ev_other, 10);
  CAction toObject = Code("trace(tag, other.tag)");
  toObject.act_useapplyto = true;
  toObject.act_who = base;
  e.e_actions.push_back(std::move(toObject));
  CAction toOther = Code("trace('swap', tag, other.tag)");
  toOther.act_useapplyto = true;
  toOther.act_who = -2;
  e.e_actions.push_back(std::move(toOther));
  Compile();
  CInstance* a = Add(base);
  CInstance* b = Add(child);
  CInstance* gone = Add(child);
  gone->i_marked = true;
  CInstance* self = Add(caller);
  CInstance* other = Add(caller);
  Tag(a, 1), Tag(b, 2), Tag(gone, 3), Tag(self, 4), Tag(other, 5);
  Perform_Event(self, other, ev_other, 10);
  EXPECT_EQ(Trace(), "1 5 2 5 swap 5 4");
}

TEST_F(Dispatch, QuestionAppliedToAnObjectWithoutInstancesIsTrue) {
  const int32_t obj = Object("obj"), none = Object("none");
  CEvent& e = On(obj, ev_other, 10);
  CAction question = Code("return 0");
  question.act_isquestion = true;
  question.act_useapplyto = true;
  question.act_who = none;
  e.e_actions.push_back(std::move(question));
  e.e_actions.push_back(Code("trace('yes')"));
  Compile();
  CInstance* inst = Add(obj);
  Perform_Event(inst, inst, ev_other, 10);
  EXPECT_EQ(Trace(), "yes");
}

// An action whose function was not located at load calls nothing: its result is 0, so as a question
// it is false, and the event goes on.
TEST_F(Dispatch, UnlocatedActionFunctionCallsNothing) {
  const int32_t obj = Object("obj");
  CEvent& e = On(obj, ev_other, 10);
  e.e_actions.push_back(FunctionAction(-1));
  e.e_actions.push_back(FunctionAction(-1, true));
  e.e_actions.push_back(Code("trace('true')"));
  e.e_actions.push_back(KindAction(CAction::kElse));
  e.e_actions.push_back(Code("trace('false')"));
  CAction traced = FunctionAction(TraceId());
  traced.act_argumentcount = 1;
  traced.act_argtype[0] = CAction::kArgString;
  traced.act_argstring[0] = "went on";
  e.e_actions.push_back(std::move(traced));
  Compile();
  CInstance* inst = Add(obj);
  Perform_Event(inst, inst, ev_other, 10);
  EXPECT_EQ(Trace(), "false went on");
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(Dispatch, InheritedEventKnowsItsOwnerAndRestoresTheRecord) {
  const int32_t grand = Object("grand"), parent = Object("parent", grand), child = Object("child", parent);
  On(grand, ev_other, 10, {"trace('grand')"});
  On(parent, ev_other, 10, {"trace('parent')", "trace_event()"});
  Compile();
  CInstance* inst = Add(child);
  CurrentEvent() = RCurrentEvent{7, 3, 2, 5};
  Perform_Event(inst, inst, ev_other, 10);
  // The owner is the parent, whose second action runs.
  EXPECT_EQ(Trace(), "parent " + std::to_string(parent) + " 7 10 1");
  EXPECT_EQ(CurrentEvent().event_object, 7);
  EXPECT_EQ(CurrentEvent().event_action, 5);
}

TEST_F(Dispatch, CodeErrorsNameTheirEventAndTheEventGoesOn) {
  const int32_t obj = Object("obj_bad");
  On(obj, ev_step, 0, {"trace('before')", "a = 1 + undefined_thing", "trace('after')"});
  platform.errorAnswer = EErrorAnswer::Ignore;
  Compile();
  CInstance* inst = Add(obj);
  Perform_Event(inst, inst, ev_step, 0);
  EXPECT_EQ(Trace(), "before after");
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_EQ(platform.errors[0].rfind("ERROR in\raction number 2\rof  Step Event\rfor object obj_bad:", 0), 0u)
      << platform.errors[0];
}

TEST_F(Dispatch, APendingRoomChangeStopsTheEvent) {
  const int32_t obj = Object("obj");
  On(obj, ev_other, 10, {"trace('a'); game_end(); trace('b')", "trace('c')"});
  Compile();
  CInstance* inst = Add(obj);
  Perform_Event(inst, inst, ev_other, 10);
  EXPECT_EQ(Trace(), "a b");
  Perform_Event(inst, inst, ev_other, 10);
  EXPECT_EQ(Trace(), "");
}

} // namespace
} // namespace vl::test
