#pragma once
// Non-fatal errors of built-in functions. A function reports its problem and returns its default
// result; the runner installs the sink that shows and logs the message with the current event.

#include <string_view>

namespace vl {

using TFunctionErrorSink = void (*)(std::string_view message);

// Installs the sink; null restores the default, which writes the message to stderr.
void SetFunctionErrorSink(TFunctionErrorSink sink);
void ReportFunctionError(std::string_view message);

} // namespace vl
