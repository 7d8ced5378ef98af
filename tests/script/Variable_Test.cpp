#include "data/Support_Stream.h"
#include "script/Variable_Class.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

constexpr int32_t kA = kFirstUserVariable + 900, kB = kFirstUserVariable + 901;

class Variables : public testing::Test {
protected:
  void TearDown() override { TreatUninitializedAsZero = false; }
  RValue Get(int32_t id, int32_t k) {
    RValue v(-99.0);
    EXPECT_TRUE(list.GetVar(id, k, v));
    return v;
  }
  CVariableList list;
};

TEST_F(Variables, NoIndexAndIndexZeroAreOneCell) {
  list.SetVar(kA, 0, RValue(5.0));
  EXPECT_EQ(Get(kA, 0).Real(), 5);
  list.SetVar(kA, 3, RValue(7.0));
  EXPECT_EQ(Get(kA, 0).Real(), 5); // a[3] leaves a alone
  EXPECT_EQ(Get(kA, 1).Real(), 0);
  EXPECT_EQ(Get(kA, 2).Real(), 0);
  EXPECT_EQ(Get(kA, 3).Real(), 7);
}

TEST_F(Variables, TwoIndicesSelectRows) {
  list.SetVar(kA, 1 * kArrayRow + 0, RValue(std::string_view("row1")));
  EXPECT_EQ(Get(kA, kArrayRow).Str(), "row1");
  EXPECT_EQ(Get(kA, 0).Real(), 0);
  RValue v;
  EXPECT_FALSE(list.GetVar(kA, 1, v)); // row 0 was never grown
  EXPECT_FALSE(list.GetVar(kA, kArrayRow + 1, v));
}

TEST_F(Variables, ReadingOutsideFailsOrGivesZero) {
  list.SetVar(kA, 3, RValue(1.0));
  RValue v(4.0);
  EXPECT_FALSE(list.GetVar(kA, 5, v));
  EXPECT_FALSE(list.GetVar(kB, 0, v));
  TreatUninitializedAsZero = true;
  EXPECT_TRUE(list.GetVar(kA, 5, v));
  EXPECT_TRUE(v.IsReal());
  EXPECT_EQ(v.Real(), 0);
  EXPECT_TRUE(list.GetVar(kB, 0, v));
}

TEST_F(Variables, InitAddsOnceAndAssignCopiesDeeply) {
  list.Init(kA);
  list.SetVar(kA, 0, RValue(2.0));
  list.Init(kA);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(Get(kA, 0).Real(), 2);
  CVariableList copy;
  copy.Assign(list);
  copy.SetVar(kA, 0, RValue(3.0));
  EXPECT_EQ(Get(kA, 0).Real(), 2);
}

TEST(UserVariables, NamesGetStableIdentifiers) {
  int32_t a = FindOrAddUserVariable("uv_first");
  int32_t b = FindOrAddUserVariable("uv_second");
  EXPECT_GE(a, kFirstUserVariable);
  EXPECT_EQ(b, a + 1);
  EXPECT_EQ(FindOrAddUserVariable("uv_first"), a);
  EXPECT_NE(FindOrAddUserVariable("UV_FIRST"), a); // case-sensitive
  EXPECT_EQ(VariableName(a), "uv_first");
  EXPECT_EQ(VariableName(kFirstUserVariable + 9999999), "<unknown variable>");
  EXPECT_EQ(VariableName(499), "<unknown built-in variable>");
}

TEST(Globals, DeclarationFlagsGrowAndReset) {
  ResetGlobals();
  EXPECT_FALSE(IsGlobalDeclared(kA));
  DeclareGlobal(kA);
  EXPECT_TRUE(IsGlobalDeclared(kA));
  EXPECT_NE(GlobalVariables.Find(kA), nullptr);
  int32_t far = kFirstUserVariable + 20000;
  DeclareGlobal(far);
  EXPECT_EQ(GlobalVarFlags.size(), size_t(far - 99000));
  EXPECT_TRUE(IsGlobalDeclared(far));
  EXPECT_FALSE(IsGlobalDeclared(far + 5000));
  EXPECT_FALSE(IsGlobalDeclared(3));
  ResetGlobals();
  EXPECT_FALSE(IsGlobalDeclared(kA));
  EXPECT_EQ(GlobalVariables.Count(), 0);
  EXPECT_EQ(GlobalVarFlags.size(), 10000u);
}

TEST_F(Variables, SavedFormRoundTrips) {
  list.SetVar(kB, 0, RValue(std::string_view("text")));
  list.SetVar(kA, 0, RValue(1.5));
  list.SetVar(kA, 2 * kArrayRow + 1, RValue(std::string_view("cell")));
  CStream stream;
  list.SaveToStream(stream);
  stream.Seek(0);
  EXPECT_EQ(stream.ReadInteger(), 440);
  EXPECT_EQ(stream.ReadInteger(), 2);
  EXPECT_EQ(stream.ReadInteger(), kB); // first-write order is kept
  stream.Seek(0);
  CVariableList loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), stream.Size());
  ASSERT_EQ(loaded.Count(), 2);
  EXPECT_EQ(loaded.v_vars[0].ind, kB);
  RValue v;
  ASSERT_TRUE(loaded.GetVar(kA, 2 * kArrayRow + 1, v));
  EXPECT_EQ(v.Str(), "cell");
  ASSERT_TRUE(loaded.GetVar(kA, 2 * kArrayRow, v));
  EXPECT_EQ(v.Real(), 0);
  EXPECT_FALSE(loaded.GetVar(kA, kArrayRow, v)); // row 1 exists but is empty
  ASSERT_TRUE(loaded.GetVar(kB, 0, v));
  EXPECT_EQ(v.Str(), "text");
}

TEST_F(Variables, OtherVersionLoadsEmptyAndConsumesNothingMore) {
  CStream stream;
  stream.WriteInteger(439);
  stream.WriteInteger(12345);
  stream.Seek(0);
  list.SetVar(kA, 0, RValue(1.0));
  list.LoadFromStream(stream);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(stream.Position(), 4u);
}

TEST_F(Variables, TruncatedStreamRaisesStreamError) {
  CStream stream;
  stream.WriteInteger(440);
  stream.WriteInteger(1000000000);
  stream.Seek(0);
  EXPECT_THROW(list.LoadFromStream(stream), EStreamError);
}

TEST(Globals, SavedFormKeepsValuesAndFlags) {
  ResetGlobals();
  DeclareGlobal(kA);
  GlobalVariables.SetVar(kA, 0, RValue(std::string_view("g")));
  CStream stream;
  SaveGlobals(stream);
  ResetGlobals();
  stream.Seek(0);
  LoadGlobals(stream);
  EXPECT_TRUE(IsGlobalDeclared(kA));
  RValue v;
  ASSERT_TRUE(GlobalVariables.GetVar(kA, 0, v));
  EXPECT_EQ(v.Str(), "g");

  CStream other;
  other.WriteInteger(699);
  other.Seek(0);
  LoadGlobals(other); // another version leaves the globals as they were
  EXPECT_TRUE(IsGlobalDeclared(kA));
  ResetGlobals();
}

} // namespace
} // namespace vl
