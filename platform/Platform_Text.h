#pragma once
// Text services of the system: case mapping over the whole Unicode range.

#include <cstdint>

namespace vl {

// The upper- or lower-case form of a code point; code points without one map to themselves.
uint32_t UnicodeUpper(uint32_t cp);
uint32_t UnicodeLower(uint32_t cp);

} // namespace vl
