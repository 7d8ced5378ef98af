// The variable functions through the function table, on a stand-in instance and its own list.
#include "library/Function_Variable.h"
#include "library/Support_Report.h"
#include "script/Code_Function.h"
#include "script/Code_Host.h"
#include "script/Variable_BuiltIn.h"
#include "script/Variable_Class.h"
#include "tests/library/Function_Test_Support.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace vl {
namespace {

std::vector<std::string> Errors;
CVariableList SelfVariables;
double Counter = 0; // a settable built-in variable
double Fixed = 7;   // a read-only one

class CRecordedErrors final : public CFunctionErrorSink {
public:
  void ReportFunctionError(std::string_view m) override { Errors.emplace_back(m); }
};

// The only instance is self; its variables are SelfVariables.
class CSelfHost final : public CCodeHost {
public:
  CVariableList& Variables(CInstance&) override { return SelfVariables; }
  bool IsDeleted(const CInstance&) const override { return false; }
  int32_t InstanceId(const CInstance&) const override { return 100001; }
  int32_t InstanceCount() const override { return 0; }
  CInstance* InstanceAt(int32_t) const override { return nullptr; }
  void ObjectInstances(int32_t, std::vector<CInstance*>&) const override {}
  const CCode* ScriptCode(int32_t) const override { return nullptr; }
  const std::string& ScriptName(int32_t) const override {
    static const std::string none;
    return none;
  }
  bool CallExtension(int32_t, CInstance*, CInstance*, int32_t, const RValue*, RValue&) override {
    return false;
  }
};

class VariableTest : public ::testing::Test {
protected:
  void SetUp() override {
    static const bool registered = [] {
      Register_Function_Variable();
      RegisterBuiltinVariable(
          "vt_counter",
          [](CInstance*, int32_t, RValue& v) {
            v = RValue(Counter);
            return true;
          },
          [](CInstance*, int32_t, const RValue& v) {
            Counter = v.Real();
            return true;
          },
          true);
      RegisterBuiltinVariable(
          "vt_fixed",
          [](CInstance*, int32_t, RValue& v) {
            v = RValue(Fixed);
            return true;
          },
          [](CInstance*, int32_t, const RValue& v) {
            Fixed = v.Real();
            return true;
          },
          false);
      return true;
    }();
    (void)registered;
    static CRecordedErrors recorded;
    static CSelfHost host;
    SetFunctionErrorSink(&recorded);
    SetCodeHost(&host);
    Errors.clear();
    SelfVariables.Clear();
    GlobalVariables.Clear();
    TreatUninitializedAsZero = false;
    Counter = 0;
    Fixed = 7;
  }
  void TearDown() override {
    SetFunctionErrorSink(nullptr);
    SetCodeHost(nullptr);
    TreatUninitializedAsZero = false;
  }
  // Self is a stand-in that only the host and the test accessors see.
  static CInstance* Self() {
    static char placeholder;
    return reinterpret_cast<CInstance*>(&placeholder);
  }
  static RValue Call(std::string_view name, std::initializer_list<RValue> args) {
    return test::CallFunction(name, args, Self());
  }
  static RValue S(std::string_view s) { return RValue(s); }
};

TEST_F(VariableTest, LocalAndGlobalVariablesAreSeparate) {
  EXPECT_EQ(Call("variable_local_exists", {S("vt_hp")}).Real(), 0);
  EXPECT_EQ(Call("variable_global_exists", {S("vt_hp")}).Real(), 0);
  Call("variable_local_set", {S("vt_hp"), 5});
  Call("variable_global_set", {S("vt_hp"), S("global")});
  EXPECT_EQ(Call("variable_local_exists", {S("vt_hp")}).Real(), 1);
  EXPECT_EQ(Call("variable_local_get", {S("vt_hp")}).Real(), 5);
  EXPECT_EQ(Call("variable_global_get", {S("vt_hp")}).Str(), "global");
  // Names are case-sensitive.
  EXPECT_EQ(Call("variable_local_exists", {S("VT_HP")}).Real(), 0);
  EXPECT_EQ(SelfVariables.Count(), 1);
  EXPECT_EQ(GlobalVariables.Count(), 1);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(VariableTest, ArraysUseTheCombinedIndex) {
  Call("variable_local_array_set", {S("vt_a"), 3, 30});
  Call("variable_local_array2_set", {S("vt_a"), 1, 2, 12});
  Call("variable_global_array2_set", {S("vt_g"), 2, 0.5, 20}); // indices round to even
  EXPECT_EQ(Call("variable_local_array_get", {S("vt_a"), 3}).Real(), 30);
  EXPECT_EQ(Call("variable_local_array2_get", {S("vt_a"), 0, 3}).Real(), 30);
  EXPECT_EQ(Call("variable_local_array2_get", {S("vt_a"), 1, 2}).Real(), 12);
  EXPECT_EQ(Call("variable_global_array2_get", {S("vt_g"), 2, 0}).Real(), 20);
  EXPECT_EQ(Call("variable_global_array2_get", {S("vt_g"), 0, 2}).Real(), 0);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(VariableTest, IndicesOutOfRangeAreRefusedWithoutReadingOrWriting) {
  struct RCase {
    const char* function;
    std::initializer_list<RValue> args;
  };
  Call("variable_global_set", {S("vt_r"), 1});
  Call("variable_local_set", {S("vt_r"), 1});
  const RCase cases[] = {
      {"variable_global_array_get", {S("vt_r"), -1}},
      {"variable_global_array_get", {S("vt_r"), 32000}},
      {"variable_global_array2_get", {S("vt_r"), 0, -0.6}},
      {"variable_local_array_get", {S("vt_r"), -1}},
      {"variable_local_array2_get", {S("vt_r"), 32000, 0}},
      {"variable_global_array_set", {S("vt_r"), -1, 9}},
      {"variable_global_array2_set", {S("vt_r"), 0, 32000, 9}},
      {"variable_local_array_set", {S("vt_r"), 1e10, 9}},
      {"variable_local_array2_set", {S("vt_r"), -1, 0, 9}},
  };
  for (const RCase& c : cases) {
    Errors.clear();
    const RValue r = Call(c.function, c.args);
    EXPECT_TRUE(r.IsReal() && r.Real() == 0) << c.function;
    EXPECT_EQ(Errors, std::vector<std::string>{"Array index >= 32000"}) << c.function;
  }
  EXPECT_EQ(GlobalVariables.Find(FindVariableId("vt_r"))->value.size(), 0u);
  EXPECT_EQ(SelfVariables.Find(FindVariableId("vt_r"))->value.size(), 0u);
  EXPECT_EQ(Call("variable_local_get", {S("vt_r")}).Real(), 1);
}

TEST_F(VariableTest, BuiltInVariablesAreReachedOnlyThroughSelf) {
  Counter = 4;
  EXPECT_EQ(Call("variable_local_exists", {S("vt_counter")}).Real(), 1);
  EXPECT_EQ(Call("variable_local_get", {S("vt_counter")}).Real(), 4);
  EXPECT_EQ(Call("variable_global_exists", {S("vt_counter")}).Real(), 0);
  EXPECT_EQ(Call("variable_global_get", {S("vt_counter")}).Real(), 0);

  Call("variable_global_set", {S("vt_counter"), 11});
  EXPECT_EQ(Counter, 4);
  EXPECT_EQ(Call("variable_global_get", {S("vt_counter")}).Real(), 11);
  Call("variable_local_set", {S("vt_counter"), 12});
  EXPECT_EQ(Counter, 12);
  EXPECT_EQ(Call("variable_global_get", {S("vt_counter")}).Real(), 11);

  // A read-only built-in variable stays without a message.
  Call("variable_local_set", {S("vt_fixed"), 1});
  EXPECT_EQ(Fixed, 7);
  EXPECT_EQ(Call("variable_local_get", {S("vt_fixed")}).Real(), 7);
  EXPECT_EQ(SelfVariables.Count(), 0);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(VariableTest, UninitialisedReadsAsZeroMakeEveryVariableExist) {
  const RValue before = Call("variable_local_get", {S("vt_never")});
  EXPECT_TRUE(before.IsReal() && before.Real() == 0);
  TreatUninitializedAsZero = true;
  EXPECT_EQ(Call("variable_local_exists", {S("vt_never")}).Real(), 1);
  EXPECT_EQ(Call("variable_global_exists", {S("vt_never")}).Real(), 1);
  EXPECT_EQ(Call("variable_local_array_get", {S("vt_never"), 5}).Real(), 0);
  EXPECT_TRUE(Errors.empty());
}

} // namespace
} // namespace vl
