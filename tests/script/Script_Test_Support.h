#pragma once
// Test doubles for the names code may use, and a readable dump of compiled trees.

#include "script/Code_Main.h"
#include "script/Code_Names.h"
#include "script/Variable_Class.h"

#include <string>
#include <string_view>

namespace vl {
class CInstance;
}

namespace vl::test {

// Built-in functions abs (1 argument), min (any), f3 (3), instance_destroy (0), spawn (0: adds an
// instance of obj_c and gives its id) and show (any: appends its arguments to TestLog); the scripts of
// TestScripts; objects obj_a = 0, obj_b = 1 (child of obj_a), obj_c = 2, spr_ball = 3, obj_wall = 7;
// constants c_red, s_hi and the scope names.
class CTestNames final : public CCodeNames {
public:
  int32_t FindFunction(std::string_view name) const override;
  int32_t FunctionArgCount(int32_t id) const override;
  bool LookupName(std::string_view name, RValue& value) const override;
  static std::string FunctionName(int32_t id);
};

// Installs CTestNames and registers the test built-in variables x, y (instance fields), id and
// argument_count (read-only), argument and argument0..argument15 (once per process).
void UseTestNames();

// A room for runs: instances 100001 (obj_a, self), 100002 (obj_b, other), 100003 (obj_b),
// 100004 (obj_c, marked deleted). UseTestWorld installs it fresh with the test names and scripts.
struct RTestInstance {
  int32_t t_id;
  int32_t t_object;
  bool t_deleted = false;
  double t_x = 0, t_y = 0;
  CVariableList t_vars;
};
void UseTestWorld();
RTestInstance& TestInstance(int32_t id);
CInstance* AsInstance(RTestInstance& inst);
std::string& TestLog();

// Compiles and runs code for self 100001 and other 100002; false with ErrorText on failure.
bool RunTestCode(std::string_view text, bool isexpression, RValue& result);

// S-expression form of a compiled tree, e.g. "{(= x 5) (call abs y)}".
std::string DumpTree(const CCode& code);

// The value as the dump shows constants: reals with %.17g trimmed, strings in double quotes.
std::string DumpValue(const RValue& v);

} // namespace vl::test
