#pragma once
// Text services of the system: case mapping over the whole Unicode range, and reading text that
// may be in the system's 8-bit code page.

#include <cstdint>
#include <string>
#include <string_view>

namespace vl {

// The upper- or lower-case form of a code point; code points without one map to themselves.
uint32_t UnicodeUpper(uint32_t cp);
uint32_t UnicodeLower(uint32_t cp);

bool IsValidUtf8(std::string_view bytes);
// Text from a file: kept when it is valid UTF-8, else read as code page 1252, the system's 8-bit
// code page on this platform (bytes that page leaves undefined become the control characters of
// the same number, as Windows converts them).
std::string TextFromFileBytes(std::string_view bytes);

} // namespace vl
