// Any text compiles, as statements and as an expression, to a tree or to one recorded error; code
// without loops also runs to a result or to one recorded error.
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Function.h"
#include "script/Code_Host.h"
#include "script/Code_Main.h"
#include "script/Code_Names.h"
#include "script/Variable_BuiltIn.h"
#include "script/Variable_Class.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

// A few functions of fixed and variable count, one named value and one script, so that calls,
// constants and argument slots take part; one instance (id 100001, object 0) in the room.
class CFuzzWorld final : public vl::CCodeNames, public vl::CCodeHost {
public:
  int32_t FindFunction(std::string_view name) const override {
    return name == "f" ? 0 : name == "g" ? 1 : name == "s" ? vl::kFirstScriptFunction : -1;
  }
  int32_t FunctionArgCount(int32_t id) const override { return id == 0 ? 1 : -1; }
  bool LookupName(std::string_view name, vl::RValue& value) const override {
    if (name != "k") return false;
    value = vl::RValue(std::string_view("k"));
    return true;
  }
  vl::CVariableList& Variables(vl::CInstance&) override { return w_vars; }
  bool IsDeleted(const vl::CInstance&) const override { return false; }
  int32_t InstanceId(const vl::CInstance&) const override { return 100001; }
  int32_t InstanceCount() const override { return 1; }
  vl::CInstance* InstanceAt(int32_t) const override { return Self(); }
  void ObjectInstances(int32_t object, std::vector<vl::CInstance*>& out) const override {
    out.clear();
    if (object == 0) out.push_back(Self());
  }
  const vl::CCode* ScriptCode(int32_t n) const override { return n == 0 ? &w_script : nullptr; }
  const std::string& ScriptName(int32_t) const override { return w_name; }
  bool CallExtension(int32_t, vl::CInstance*, vl::CInstance*, int32_t, const vl::RValue*,
                     vl::RValue&) override {
    return false;
  }
  vl::CInstance* Self() const { return reinterpret_cast<vl::CInstance*>(const_cast<CFuzzWorld*>(this)); }

  vl::CVariableList w_vars;
  std::string w_name = "s";
  // Calls itself a few levels deep and writes a slot that it was not given.
  vl::CCode w_script{"if (argument0 > 0 && argument0 < 5) return s(argument0 - 1, argument1) + 1; "
                     "argument2 = argument1; return argument2",
                     false};
};

CFuzzWorld& World() {
  static CFuzzWorld* world = [] {
    vl::RegisterBuiltinVariable("argument0", vl::GetArgumentN<0>, vl::SetArgumentN<0>, true);
    vl::RegisterBuiltinVariable("argument1", vl::GetArgumentN<1>, vl::SetArgumentN<1>, true);
    vl::RegisterBuiltinVariable("argument2", vl::GetArgumentN<2>, vl::SetArgumentN<2>, true);
    auto* w = new CFuzzWorld;
    vl::SetCodeNames(w);
    vl::SetCodeHost(w);
    if (!w->w_script.Compile()) std::abort();
    return w;
  }();
  return *world;
}

bool HasLoop(const vl::CCode& code) {
  for (const vl::RToken& n : code.i_token)
    if (n.kind == vl::NODE_WHILE || n.kind == vl::NODE_DO || n.kind == vl::NODE_FOR ||
        n.kind == vl::NODE_REPEAT)
      return true;
  return false;
}

void Check(CFuzzWorld& world, std::string_view text, bool isexpression) {
  vl::CCode code(text, isexpression);
  bool ok = code.Compile();
  // Exactly one outcome: a tree whose children all lie after their parent, or an error text.
  if (ok != !vl::ErrorPending || ok != code.i_compiled) std::abort();
  if (!ok) {
    if (vl::ErrorText.empty() || !code.i_token.empty()) std::abort();
    return;
  }
  for (size_t i = 0; i < code.i_token.size(); ++i) {
    const vl::RToken& n = code.i_token[i];
    if (n.itemnumb > 0 && (size_t(n.items) <= i || size_t(n.items + n.itemnumb) > code.i_token.size()))
      std::abort();
  }
  if (HasLoop(code)) return;
  vl::RValue result;
  if (vl::RunCode(world.Self(), world.Self(), code, result) && vl::ErrorPending) std::abort();
  world.w_vars.Clear();
  vl::ResetGlobals();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzWorld& world = World();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  Check(world, text, false);
  Check(world, text, true);
  return 0;
}
