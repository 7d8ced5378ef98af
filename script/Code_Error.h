#pragma once
// Recording the first error of a compilation or run as a text that points into the code.

#include <cstdint>
#include <string>
#include <string_view>

namespace vl {

class CCode;

// Set by the first recorded error; later recordings are dropped until it is cleared.
extern bool ErrorPending;
// The recorded text (with any prefixes added by script calls).
extern std::string ErrorText;

void ClearError();
// Records message at a 1-based character position of code's text, with line and column.
void RecordError(const CCode& code, int32_t position, std::string_view message);
// The located text for an error in text (statements unless isexpression).
std::string ComposeError(std::string_view text, bool isexpression, int32_t position,
                         std::string_view message);

} // namespace vl
