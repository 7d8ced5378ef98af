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

// What error_last and error_occurred read; both writable from code.
extern std::string LastError;
extern bool ErrorOccurred;
// Set once a fatal report has ended the game; later reports are ignored.
extern bool Aborting;
// The next write to the error log starts the file afresh.
extern bool LogFresh;

// The room request of the main loop: -1 nothing, -100 end, -200 restart, -300 load a saved game,
// -400 end after a fatal error, N >= 0 go to room N. While it is not -1 every dispatch stops early.
extern int32_t New_Room;
inline constexpr int32_t kRoomNone = -1, kRoomEnd = -100, kRoomRestart = -200, kRoomLoad = -300,
                         kRoomFatal = -400;

// The log file errors are written to, in the current folder.
inline constexpr const char* kErrorLogName = "game_errors.log";

void ClearError();
// Shows, logs and stores an error as the game's settings ask; a fatal error (or any error the
// player does not ignore) ends the game.
void ReportError(const std::string& text, bool fatal);
// Records message at a 1-based character position of code's text, with line and column.
void RecordError(const CCode& code, int32_t position, std::string_view message);
// The located text for an error in text (statements unless isexpression).
std::string ComposeError(std::string_view text, bool isexpression, int32_t position,
                         std::string_view message);

} // namespace vl
