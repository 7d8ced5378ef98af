#include "library/Support_Report.h"

#include <fmt/format.h>

namespace vl {

namespace {

void DefaultSink(std::string_view message) {
  fmt::print(stderr, "{}\n", message);
}

TFunctionErrorSink Sink = DefaultSink;

} // namespace

void SetFunctionErrorSink(TFunctionErrorSink sink) {
  Sink = sink ? sink : DefaultSink;
}

void ReportFunctionError(std::string_view message) {
  Sink(message);
}

} // namespace vl
