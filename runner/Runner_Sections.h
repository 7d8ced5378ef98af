#pragma once
// The sixteen sections of the resource block in their stored order, each with its progress text
// and the reader of the floor that owns its records.

#include <array>
#include <cstdint>

namespace vl {

class CStream;
struct RGameData;

struct RSection {
  int32_t percent;
  const char* text;
  bool (*read)(CStream& block, RGameData& game);
};
extern const std::array<RSection, 16> kSections;

} // namespace vl
