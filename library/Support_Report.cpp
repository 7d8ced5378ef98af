#include "library/Support_Report.h"

#include <fmt/format.h>

namespace vl {

namespace {

class CStandardErrorSink final : public CFunctionErrorSink {
public:
  void ReportFunctionError(std::string_view message) override { fmt::print(stderr, "{}\n", message); }
};

CStandardErrorSink StandardErrorSink;
CFunctionErrorSink* Sink = &StandardErrorSink;

} // namespace

void SetFunctionErrorSink(CFunctionErrorSink* sink) {
  Sink = sink ? sink : &StandardErrorSink;
}

void ReportFunctionError(std::string_view message) {
  Sink->ReportFunctionError(message);
}

} // namespace vl
