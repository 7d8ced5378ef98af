#include "script/Code_Error.h"

#include "script/Code_Main.h"

#include <cstdio>
#include <fmt/format.h>

namespace vl {

bool ErrorPending = false;
std::string ErrorText;
std::string LastError;
bool ErrorOccurred = false;

void ClearError() {
  ErrorPending = false;
  ErrorText.clear();
}

namespace {

// A line ends at CR, or at an LF that does not follow a CR (an LF after a CR begins the next line).
bool IsLineBreak(std::string_view text, size_t i) {
  return text[i] == '\r' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'));
}

} // namespace

std::string ComposeError(std::string_view text, bool isexpression, int32_t position,
                         std::string_view message) {
  size_t pos = position < 1 ? 1 : size_t(position);
  if (pos > text.size()) pos = text.size();
  // Line and column of the character at pos; columns count characters, not UTF-8 bytes.
  int line = 1, column = 0;
  size_t linestart = 0;
  for (size_t i = 0; i < pos; ++i) {
    if (IsLineBreak(text, i)) {
      ++line;
      column = 0;
      linestart = i + 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++column;
    }
  }
  if (isexpression) return fmt::format("Error in expression:{}\r position {}: {}", text, column, message);
  size_t lineend = linestart;
  while (lineend < text.size() && !IsLineBreak(text, lineend)) ++lineend;
  return fmt::format("Error in code at line {}:\r   {}\r{:>{}}\rat position {}: {}", line,
                     text.substr(linestart, lineend - linestart), "^", column + 2, column, message);
}

void RecordError(const CCode& code, int32_t position, std::string_view message) {
  if (ErrorPending) return;
  ErrorPending = true;
  ErrorText = ComposeError(code.GetText(), code.i_kind != CCode::kCode, position, message);
}

namespace {

class CStandardErrorSink final : public CErrorSink {
public:
  bool Report(const std::string& text, bool) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    return true;
  }
};

CStandardErrorSink StandardErrorSink;
CErrorSink* Sink = &StandardErrorSink;

} // namespace

void SetErrorSink(CErrorSink* sink) {
  Sink = sink ? sink : &StandardErrorSink;
}

void ReportError(const std::string& text, bool fatal) {
  if (!Sink->Report(text, fatal)) return;
  LastError = text;
  ErrorOccurred = true;
}

} // namespace vl
