#pragma once
// How the runner shows and logs errors: the error window with every message of the run, the
// error log "game_errors.log", and the end of the game on a fatal error.

#include <string>
#include <vector>

namespace vl {

// The lines of the error window: every message shown in this run, until the player clears them.
class TErrorMemo {
public:
  // Appends an empty line, a line of underscores and the message split at each CR (LF dropped).
  void Add(const std::string& message);
  void Clear() { m_lines.clear(); }
  const std::vector<std::string>& Lines() const { return m_lines; }

private:
  std::vector<std::string> m_lines;
};

// The log file errors are written to, in the current folder.
inline constexpr const char* kErrorLogName = "game_errors.log";

struct RErrorState {
  TErrorMemo es_memo;
  bool es_aborting = false; // a fatal report has ended the game; later reports are dropped
  bool es_logfresh = true;  // the next write to the log starts the file afresh
};

RErrorState& ErrorState();

// Shows and logs an error as the game's settings ask; a fatal error (or any error the player does
// not ignore) ends the game. False when the report is dropped.
bool Show_Error(const std::string& text, bool fatal);

} // namespace vl
