#pragma once
// Recording the first error of a compilation or run as a text that points into the code, and
// handing reports to the sink that decides how they are shown.

#include <cstdint>
#include <string>
#include <string_view>

namespace vl {

class CCode;

// Set by the first recorded error; later recordings are dropped until it is cleared.
extern bool ErrorPending;
// The recorded text (with any prefixes added by script calls).
extern std::string ErrorText;

// What error_last and error_occurred read; both writable from code, set by every report.
extern std::string LastError;
extern bool ErrorOccurred;

// Where reports go. The runner's sink shows and logs them as the game's settings ask and ends the
// game on a fatal one; without it a report is written to standard error.
class CErrorSink {
public:
  virtual ~CErrorSink() = default;
  // False when the report is dropped (the game is already ending on a fatal error).
  virtual bool Report(const std::string& text, bool fatal) = 0;
};

// Null restores the default sink.
void SetErrorSink(CErrorSink* sink);

void ClearError();
// Hands the error to the sink and, unless it drops it, stores it for error_last and error_occurred.
void ReportError(const std::string& text, bool fatal);
// Records message at a 1-based character position of code's text, with line and column.
void RecordError(const CCode& code, int32_t position, std::string_view message);
// The located text for an error in text (statements unless isexpression).
std::string ComposeError(std::string_view text, bool isexpression, int32_t position,
                         std::string_view message);

} // namespace vl
