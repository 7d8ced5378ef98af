// Code runs against the instances of a real room.
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Main.h"
#include "tests/world/World_Test_Support.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"
#include "world/World_Host.h"
#include "world/World_Run.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

// Scripts and extensions are not part of the world: this game has none.
class CHost final : public CWorldHost {
public:
  const CCode* ScriptCode(int32_t) const override { return nullptr; }
  const std::string& ScriptName(int32_t) const override { return t_none; }
  bool CallExtension(int32_t, CInstance*, CInstance*, int32_t, const RValue*, RValue&) override {
    return false;
  }
  std::string t_none;
};

class Host : public testing::Test {
protected:
  void SetUp() override {
    test::ResetWorld();
    base = Objects().Add();
    child = Objects().Add();
    Objects().SetParent(child, base);
    PlayState().ps_room = &room;
    SetCodeHost(&host);
  }
  void TearDown() override {
    SetCodeHost(nullptr);
    test::ResetWorld();
  }
  bool Run(CInstance* self, const std::string& text) {
    CCode code(text, false);
    RValue result;
    const bool ok = code.Compile() && RunCode(self, self, code, result);
    if (!ok) ADD_FAILURE() << ErrorText;
    ClearError();
    return ok;
  }
  double Var(CInstance* inst, const std::string& name) {
    RValue v;
    EXPECT_TRUE(inst->i_vars.GetVar(FindOrAddUserVariable(name), 0, v)) << name;
    return v.Real();
  }

  int32_t base = 0, child = 0;
  CRoom room;
  CHost host;
};

TEST_F(Host, WithVisitsAnObjectAndItsDescendants) {
  CInstance* a = room.AddInstance(base, 0, 0);
  CInstance* b = room.AddInstance(child, 0, 0);
  CInstance* c = room.AddInstance(child, 0, 0);
  c->i_marked = true;
  ASSERT_TRUE(Run(a, "with (0) hits = 1; with (1) kids = 2; with (-3) seen = 3"));
  EXPECT_EQ(Var(a, "hits"), 1);
  EXPECT_EQ(Var(b, "hits"), 1);
  EXPECT_EQ(Var(b, "kids"), 2);
  EXPECT_EQ(Var(a, "seen"), 3);
  EXPECT_EQ(Var(b, "seen"), 3);
  RValue v; // the destroyed instance is skipped
  EXPECT_FALSE(c->i_vars.GetVar(FindOrAddUserVariable("hits"), 0, v));
  EXPECT_FALSE(c->i_vars.GetVar(FindOrAddUserVariable("seen"), 0, v));
}

TEST_F(Host, InstancesByIdAndWithoutARoom) {
  CInstance* a = room.AddInstance(base, 0, 0);
  CInstance* b = room.AddInstance(base, 0, 0);
  ASSERT_TRUE(Run(a, "(100002).mark = 5"));
  EXPECT_EQ(Var(b, "mark"), 5);
  PlayState().ps_room = nullptr;
  EXPECT_EQ(host.InstanceCount(), 0);
  std::vector<CInstance*> list{a};
  host.ObjectInstances(base, list);
  EXPECT_TRUE(list.empty());
}

} // namespace
} // namespace vl
