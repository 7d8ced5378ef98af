#pragma once
// Test doubles for the names code may use, and a readable dump of compiled trees.

#include "script/Code_Main.h"
#include "script/Code_Names.h"

#include <string>
#include <string_view>

namespace vl::test {

// A few built-in functions (abs 1, min any, f3 3, instance_destroy 0), scripts scr and abs_script,
// resources spr_ball = 3 and obj_wall = 7, constants c_red and s_hi, and the built-in variables
// x, y, argument, argument0..argument15.
class CTestNames final : public CCodeNames {
public:
  int32_t FindFunction(std::string_view name) const override;
  int32_t FunctionArgCount(int32_t id) const override;
  bool LookupName(std::string_view name, RValue& value) const override;
  static std::string FunctionName(int32_t id);
};

// Installs CTestNames and registers the test built-in variables (once per process).
void UseTestNames();

// S-expression form of a compiled tree, e.g. "{(= x 5) (call abs y)}".
std::string DumpTree(const CCode& code);

// The value as the dump shows constants: reals with %.17g trimmed, strings in double quotes.
std::string DumpValue(const RValue& v);

} // namespace vl::test
