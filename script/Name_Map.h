#pragma once
// A hash map from names to integers that looks up string_views without building strings.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vl {

struct RNameHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

using CNameMap = std::unordered_map<std::string, int32_t, RNameHash, std::equal_to<>>;

// The value for a name, or -1.
inline int32_t FindName(const CNameMap& map, std::string_view name) {
  auto it = map.find(name);
  return it == map.end() ? -1 : it->second;
}

} // namespace vl
