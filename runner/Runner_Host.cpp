#include "runner/Runner_Host.h"

#include "script/Code_Function.h"
#include "world/Object_Class.h"
#include "world/Room_Class.h"

#include <utility>

namespace vl {

const CCode* CRunnerHost::ScriptCode(int32_t) const {
  return nullptr;
}

const std::string& CRunnerHost::ScriptName(int32_t) const {
  return h_noname;
}

bool CRunnerHost::CallExtension(int32_t, CInstance*, CInstance*, int32_t, const RValue*, RValue&) {
  return false;
}

int32_t CRunnerHost::FindFunction(std::string_view name) const {
  return FindBuiltinFunction(name);
}

int32_t CRunnerHost::FunctionArgCount(int32_t id) const {
  if (id >= kFirstScriptFunction) return -1;
  const RFunction* f = GetBuiltinFunction(id);
  return f ? f->f_argnumb : -1;
}

bool CRunnerHost::LookupName(std::string_view name, RValue& value) const {
  static const std::pair<std::string_view, double> kConstants[] = {
      {"self", -1},  {"other", -2},  {"all", -3},
      {"noone", -4}, {"global", -5}, {"local", -7},
      {"true", 1},   {"false", 0},   {"pi", 3.141592653589793},
  };
  for (const auto& [n, v] : kConstants)
    if (name == n) {
      value = RValue(v);
      return true;
    }
  int32_t index = Objects().Find(name);
  if (index < 0) index = Rooms().Find(name);
  if (index < 0) return false;
  value = RValue(double(index));
  return true;
}

CRunnerHost& RunnerHost() {
  static CRunnerHost host;
  return host;
}

void Install_RunnerHost() {
  SetCodeHost(&RunnerHost());
  SetCodeNames(&RunnerHost());
}

} // namespace vl
