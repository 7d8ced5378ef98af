#include "runner/Run_Error.h"

#include "data/Game_File.h"
#include "platform/Platform.h"
#include "world/World_Run.h"

#include <cstdio>

namespace vl {

void TErrorMemo::Add(const std::string& message) {
  m_lines.emplace_back();
  m_lines.emplace_back(43, '_');
  std::string line;
  for (char c : message) {
    if (c == '\r')
      m_lines.push_back(std::move(line)), line.clear();
    else if (c != '\n')
      line += c;
  }
  m_lines.push_back(std::move(line));
}

RErrorState& ErrorState() {
  static RErrorState state;
  return state;
}

namespace {

// Errors in writing the log are swallowed: the report goes on without it.
void WriteErrorLog(const std::string& text) {
  bool& fresh = ErrorState().es_logfresh;
  std::FILE* f = std::fopen(kErrorLogName, fresh ? "wb" : "ab");
  fresh = false;
  if (!f) return;
  std::fputs(text.c_str(), f);
  std::fputs("\r\n\r\n\r\n", f); // the text's own line end and two empty lines
  std::fclose(f);
}

// The error window with the message added below the earlier ones; Copy and Clear keep it open.
EErrorAnswer ShowErrorWindow(const std::string& text, bool ignoreVisible) {
  TErrorMemo& memo = ErrorState().es_memo;
  size_t first = memo.Lines().size() + 2; // after the empty line and the underscores
  memo.Add(text);
  for (;;) {
    const EErrorAnswer answer = Dialogs().ShowError(memo.Lines(), first, ignoreVisible);
    if (answer == EErrorAnswer::Clear)
      memo.Clear(), first = 0;
    else if (answer != EErrorAnswer::Copy)
      return answer;
  }
}

} // namespace

bool Show_Error(const std::string& text, bool fatal) {
  RErrorState& state = ErrorState();
  if (state.es_aborting) return false;
  const RGameSettings& settings = GameData().gd_settings;
  if (settings.gs_aborterrors) fatal = true;
  if (settings.gs_displayerrors && ShowErrorWindow(text, !fatal) != EErrorAnswer::Ignore) fatal = true;
  if (settings.gs_writeerrors) WriteErrorLog(text);
  if (fatal) {
    state.es_aborting = true;
    New_Room = kRoomFatal;
  }
  return true;
}

} // namespace vl
