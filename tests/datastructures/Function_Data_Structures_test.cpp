// The ds_ functions through the function table: ids, argument conversion and the error path.
#include "data/Support_Stream.h"
#include "tests/datastructures/DS_Test_Support.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vl {
namespace {

using test::ReportedErrors;
using test::S;

constexpr char kNoSuch[] = "Data structure with index does not exist.";

class DSFunctions : public test::DSFunctionTest {};

TEST_F(DSFunctions, TableHasTheWholeFamily) {
  const char* names[] = {"ds_set_precision",
                         "ds_stack_create",
                         "ds_queue_tail",
                         "ds_list_shuffle",
                         "ds_map_find_last",
                         "ds_priority_change_priority",
                         "ds_grid_multiply_grid_region",
                         "ds_grid_value_disk_y",
                         "ds_grid_read"};
  for (const char* n : names) EXPECT_GE(FindBuiltinFunction(n), 0) << n;
  int count = 0;
  for (int32_t id = 0; const RFunction* f = GetBuiltinFunction(id); ++id)
    count += f->f_name.rfind("ds_", 0) == 0;
  EXPECT_EQ(count, 110);
}

TEST_F(DSFunctions, IdsReuseTheLowestFreeSlot) {
  EXPECT_EQ(Call("ds_list_create").Real(), 0);
  EXPECT_EQ(Call("ds_list_create").Real(), 1);
  EXPECT_EQ(Call("ds_list_create").Real(), 2);
  Call("ds_list_destroy", {1.0});
  EXPECT_EQ(Call("ds_list_create").Real(), 1);
  EXPECT_EQ(Call("ds_list_create").Real(), 3);
  // Kinds have their own tables.
  EXPECT_EQ(Call("ds_stack_create").Real(), 0);
  EXPECT_EQ(Call("ds_grid_create", {2.0, 2.0}).Real(), 0);
  EXPECT_TRUE(ReportedErrors().empty());
}

TEST_F(DSFunctions, IdsRoundHalfToEven) {
  for (int i = 0; i < 5; ++i) Call("ds_list_create");
  Call("ds_list_add", {2.0, 1.0});
  Call("ds_list_add", {4.0, 1.0});
  Call("ds_list_add", {4.0, 1.0});
  EXPECT_EQ(Call("ds_list_size", {2.5}).Real(), 1);
  EXPECT_EQ(Call("ds_list_size", {3.5}).Real(), 2);
  EXPECT_EQ(Call("ds_list_find_value", {4.0, 0.5}).Real(), 1); // position 0
  EXPECT_TRUE(ReportedErrors().empty());
}

TEST_F(DSFunctions, BadIdsReportAndDoNothing) {
  const RValue st = Call("ds_stack_create");
  EXPECT_EQ(Call("ds_stack_pop", {st}).Real(), 0); // empty: no error
  EXPECT_TRUE(ReportedErrors().empty());
  Call("ds_stack_destroy", {st});
  struct Case {
    const char* name;
    std::vector<RValue> args;
  } cases[] = {
      {"ds_stack_pop", {0.0}},
      {"ds_stack_push", {-1.0, 3.0}},
      {"ds_queue_size", {7.0}},
      {"ds_list_add", {std::nan(""), 1.0}},
      {"ds_map_find_value", {1e300, 1.0}},
      {"ds_priority_find_min", {0.0}},
      {"ds_grid_width", {0.0}},
      {"ds_stack_destroy", {0.0}},
      {"ds_grid_get_sum", {3.0, 0.0, 0.0, 1.0, 1.0}},
  };
  for (const Case& c : cases) {
    ReportedErrors().clear();
    const int32_t id = FindBuiltinFunction(c.name);
    RValue argv[16], result;
    for (size_t i = 0; i < c.args.size(); ++i) argv[i] = c.args[i];
    GetBuiltinFunction(id)->f_routine(nullptr, nullptr, int32_t(c.args.size()), result, argv);
    EXPECT_EQ(ReportedErrors(), std::vector<std::string>{kNoSuch}) << c.name;
    EXPECT_TRUE(result.IsReal() && result.Real() == 0) << c.name;
  }
}

TEST_F(DSFunctions, CopyChecksBothIds) {
  const RValue a = Call("ds_map_create");
  Call("ds_map_add", {a, S("k"), 1.0});
  Call("ds_map_copy", {a, 5.0});
  EXPECT_EQ(ReportedErrors(), std::vector<std::string>{kNoSuch});
  EXPECT_EQ(Call("ds_map_size", {a}).Real(), 1);
  const RValue b = Call("ds_map_create");
  Call("ds_map_copy", {b, a});
  EXPECT_EQ(Call("ds_map_find_value", {b, S("k")}).Real(), 1);
  Call("ds_map_add", {a, S("j"), 2.0});
  EXPECT_EQ(Call("ds_map_size", {b}).Real(), 1); // a copy, not a share
}

TEST_F(DSFunctions, GridCopyOntoItselfAndGridRegions) {
  const RValue g = Call("ds_grid_create", {3.0, 2.0});
  Call("ds_grid_set", {g, 1.0, 1.0, S("mid")});
  const std::string before(Call("ds_grid_write", {g}).Str());
  Call("ds_grid_copy", {g, g});
  EXPECT_EQ(Call("ds_grid_write", {g}).Str(), before);
  EXPECT_EQ(Call("ds_grid_width", {g}).Real(), 3);
  EXPECT_EQ(Call("ds_grid_height", {g}).Real(), 2);
  Call("ds_grid_add_grid_region", {g, 9.0, 0.0, 0.0, 1.0, 1.0, 0.0, 0.0});
  EXPECT_EQ(ReportedErrors(), std::vector<std::string>{kNoSuch});
  Call("ds_grid_set_disk", {g, 0.4, 0.4, 0.6, 4.0}); // disk centre and radius stay reals
  EXPECT_EQ(Call("ds_grid_get", {g, 0.0, 0.0}).Real(), 4);
  EXPECT_EQ(Call("ds_grid_get", {g, 1.0, 0.0}).Real(), 0);
  EXPECT_EQ(Call("ds_grid_get_disk_sum", {g, 0.0, 0.0, 5.0}).Real(), 4);
  EXPECT_EQ(Call("ds_grid_value_x", {g, 0.0, 0.0, 2.0, 1.0, S("mid")}).Real(), 1);
  EXPECT_EQ(Call("ds_grid_value_disk_exists", {g, 1.0, 1.0, 0.0, S("mid")}).Real(), 1);
  EXPECT_EQ(Call("ds_grid_create", {1e6, 1e6}).Real(), -1);
  EXPECT_EQ(ReportedErrors().back(), "Grid size is too large.");
}

// The string form of a 1 x 1 grid whose cell holds both parts.
std::string OneCellGrid(int32_t kind, double real, std::string_view text) {
  CStream s;
  s.WriteInteger(601);
  s.WriteInteger(1);
  s.WriteInteger(1);
  s.WriteInteger(kind);
  s.WriteReal(real);
  s.WriteString(text);
  return s.ConvertToString();
}

TEST_F(DSFunctions, EveryGridCellOperationKeepsThePartItDoesNotWrite) {
  constexpr int32_t kReal = RValue::kReal, kString = RValue::kString;
  // The cell starts as the real 7 holding "ab" or as the string "ab" holding 7.
  struct Case {
    const char* op;
    bool startstring;
    RValue val;
    int32_t kind;
    double real;
    const char* str;
  } cases[] = {
      {"set", false, 3.0, kReal, 3, "ab"},         {"set", false, S("s"), kString, 7, "s"},
      {"set", true, 3.0, kReal, 3, "ab"},          {"add", false, 3.0, kReal, 10, "ab"},
      {"add", false, S("s"), kString, 7, "s"},     {"add", true, S("c"), kString, 7, "abc"},
      {"add", true, 3.0, kReal, 3, "ab"},          {"multiply", false, 3.0, kReal, 21, "ab"},
      {"multiply", false, S("s"), kReal, 7, "ab"}, {"multiply", true, 3.0, kString, 7, "ab"},
  };
  for (const Case& c : cases) {
    for (const std::string form : {"", "_region", "_disk", "_grid_region"}) {
      const std::string name = "ds_grid_" + std::string(c.op) + form;
      SCOPED_TRACE(name + (c.startstring ? " on a string" : " on a real"));
      const RValue g = Call("ds_grid_create", {1.0, 1.0});
      Call("ds_grid_set", {g, 0.0, 0.0, c.startstring ? 7.0 : S("ab")});
      Call("ds_grid_set", {g, 0.0, 0.0, c.startstring ? S("ab") : 7.0});
      // The source cell of the grid region forms holds another part of its own, which stays there.
      const RValue src = Call("ds_grid_create", {1.0, 1.0});
      Call("ds_grid_set", {src, 0.0, 0.0, c.val.IsReal() ? S("zz") : 99.0});
      Call("ds_grid_set", {src, 0.0, 0.0, c.val});
      if (form.empty())
        Call(name, {g, 0.0, 0.0, c.val});
      else if (form == "_region")
        Call(name, {g, 0.0, 0.0, 0.0, 0.0, c.val});
      else if (form == "_disk")
        Call(name, {g, 0.0, 0.0, 0.5, c.val});
      else
        Call(name, {g, src, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
      const RValue text = Call("ds_grid_write", {g});
      EXPECT_EQ(text.Str(), OneCellGrid(c.kind, c.real, c.str));
      const RValue value = Call("ds_grid_get", {g, 0.0, 0.0});
      EXPECT_EQ(value.Kind(), c.kind);
      EXPECT_TRUE(c.kind == kReal ? value.Real() == c.real : value.Str() == c.str);

      const RValue back = Call("ds_grid_create", {0.0, 0.0});
      Call("ds_grid_read", {back, text});
      EXPECT_EQ(Call("ds_grid_write", {back}).Str(), text.Str());
      for (const RValue& id : {g, src, back}) Call("ds_grid_destroy", {id});
    }
  }
  EXPECT_TRUE(ReportedErrors().empty());
}

TEST_F(DSFunctions, GridClearAndCopyTakeWholeValues) {
  const RValue g = Call("ds_grid_create", {1.0, 1.0});
  Call("ds_grid_set", {g, 0.0, 0.0, S("ab")});
  Call("ds_grid_set", {g, 0.0, 0.0, 7.0});
  const RValue copy = Call("ds_grid_create", {3.0, 3.0});
  Call("ds_grid_copy", {copy, g});
  EXPECT_EQ(Call("ds_grid_write", {copy}).Str(), OneCellGrid(RValue::kReal, 7, "ab"));
  Call("ds_grid_clear", {g, S("s")});
  EXPECT_EQ(Call("ds_grid_write", {g}).Str(), OneCellGrid(RValue::kString, 0, "s"));
  Call("ds_grid_clear", {copy, 2.0});
  EXPECT_EQ(Call("ds_grid_write", {copy}).Str(), OneCellGrid(RValue::kReal, 2, ""));
}

TEST_F(DSFunctions, SortAscendAndPrecision) {
  const RValue l = Call("ds_list_create");
  for (double v : {2.0, 3.0, 1.0}) Call("ds_list_add", {l, v});
  Call("ds_list_sort", {l, 0.4}); // below 0.5: descending
  EXPECT_EQ(Call("ds_list_find_value", {l, 0.0}).Real(), 3);
  Call("ds_list_sort", {l, 0.5});
  EXPECT_EQ(Call("ds_list_find_value", {l, 0.0}).Real(), 1);

  Call("ds_set_precision", {-0.5});
  EXPECT_EQ(DS_Precision(), 0.5);
  EXPECT_EQ(Call("ds_list_find_index", {l, 2.4}).Real(), 1);
  Call("ds_set_precision", {0.0});
  EXPECT_EQ(Call("ds_list_find_index", {l, 2.4}).Real(), -1);
}

TEST_F(DSFunctions, ReadReportsMalformedTextAndKeepsTheContainer) {
  const RValue q = Call("ds_queue_create");
  Call("ds_queue_enqueue", {q, S("a")});
  const RValue text = Call("ds_queue_write", {q});
  const RValue other = Call("ds_queue_create");
  Call("ds_queue_read", {other, text});
  EXPECT_EQ(Call("ds_queue_head", {other}).Str(), "a");
  EXPECT_TRUE(ReportedErrors().empty());

  const RValue l = Call("ds_list_create");
  Call("ds_list_read", {l, text}); // another kind: nothing, silently
  EXPECT_TRUE(ReportedErrors().empty());
  for (const char* bad : {"", "2D0100", "2D010000XX000000", "2D01000005000000"}) {
    ReportedErrors().clear();
    Call("ds_list_read", {l, S(bad)});
    EXPECT_EQ(ReportedErrors(), std::vector<std::string>{"Data structure string is malformed or truncated."})
        << bad;
  }
  EXPECT_EQ(Call("ds_list_size", {l}).Real(), 0);
  Call("ds_list_read", {l, 5.0}); // a real has no string part: empty text
  EXPECT_EQ(ReportedErrors().size(), 2u);
}

TEST_F(DSFunctions, QueriesOnEmptyContainersGiveRealZero) {
  const char* one[] = {"ds_stack_top",      "ds_queue_dequeue",       "ds_queue_head",
                       "ds_map_find_first", "ds_priority_delete_min", "ds_priority_find_max"};
  const RValue ids[] = {Call("ds_stack_create"), Call("ds_queue_create"), Call("ds_map_create"),
                        Call("ds_priority_create")};
  for (const char* name : one) {
    const RValue r = Call(name, {0.0});
    EXPECT_TRUE(r.IsReal() && r.Real() == 0) << name;
  }
  EXPECT_EQ(Call("ds_stack_empty", {ids[0]}).Real(), 1);
  EXPECT_EQ(Call("ds_map_exists", {ids[2], 0.0}).Real(), 0);
  EXPECT_TRUE(ReportedErrors().empty());
}

} // namespace
} // namespace vl
