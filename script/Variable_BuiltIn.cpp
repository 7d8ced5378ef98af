#include "script/Variable_BuiltIn.h"

#include "script/Name_Map.h"

#include <vector>

namespace vl {

namespace detail {
std::vector<RBuiltinVariable> BuiltinVariables;
} // namespace detail

namespace {
CNameMap BuiltinIds;
} // namespace

using detail::BuiltinVariables;

int32_t RegisterBuiltinVariable(std::string_view name, TBuiltinGetter getter, TBuiltinSetter setter,
                                bool settable) {
  if (BuiltinVariables.size() >= size_t(kMaxBuiltinVariables)) return -1;
  auto id = static_cast<int32_t>(BuiltinVariables.size());
  std::string cut(name.substr(0, 64));
  BuiltinIds.emplace(cut, id); // the first registration of a name wins lookups
  BuiltinVariables.push_back({std::move(cut), getter, setter, settable});
  return id;
}

int32_t FindBuiltinVariable(std::string_view name) {
  return FindName(BuiltinIds, name);
}

std::string BuiltinVariableName(int32_t id) {
  const RBuiltinVariable* var = GetBuiltinVariable(id);
  return var ? var->b_name : "<unknown built-in variable>";
}

} // namespace vl
