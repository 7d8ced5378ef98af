#pragma once
// Non-fatal errors of built-in functions. A function reports its problem and returns its default
// result; the runner's sink shows and logs the message with the current event.

#include <string_view>

namespace vl {

class CFunctionErrorSink {
public:
  virtual ~CFunctionErrorSink() = default;
  virtual void ReportFunctionError(std::string_view message) = 0;
};

// Null restores the default, which writes the message to standard error.
void SetFunctionErrorSink(CFunctionErrorSink* sink);
void ReportFunctionError(std::string_view message);

} // namespace vl
