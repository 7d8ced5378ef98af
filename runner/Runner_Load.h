#pragma once
// Start-up and shutdown: the temporary folder, the trace log, reading the game file, preparing
// everything before the first step and tearing it down at the end.

#include "platform/Platform.h"
#include "sound/Sound_Capture.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vl {

class CStream;
struct RGameSettings;

// What the command line asks of a run.
struct RRunOptions {
  std::string ro_exepath; // the executable that carries the game (GAME, or vlrun itself)
  bool ro_headless = false;
  std::optional<int64_t> ro_steps;   // end the game after this many steps
  std::optional<uint32_t> ro_seed;   // random seed in place of the clock
  bool ro_trace = false;             // "--QXTrace" given
  std::optional<int32_t> ro_scale;   // window scale in place of the settings'
  std::optional<bool> ro_fullscreen; // full screen or windowed in place of the settings'
  std::string ro_audiocapture;       // write the mixed sound to this WAV file
};

// Process-wide start-up state.
struct RRunner {
  TLoadWindow* rn_loadwindow = nullptr; // created with the other windows at start
  RLoadLayout rn_loadlayout;
  RRunOptions rn_options;
  bool rn_trace = false;
  std::string rn_tempfolder;                // empty when it could not be created
  bool rn_corrupt = false;                  // the game data failed its checksum: the program ends silently
  std::unique_ptr<CWaveCapture> rn_capture; // --audio-capture
};
RRunner& Runner();

// The trace switch: "QXLOG_TRACE" equal to "1", or "--QXTrace" among the arguments.
bool TraceWanted(bool argumentGiven);
// Appends one line to "Trace.log" beside the executable when tracing is on.
void Trace(const std::string& line);
void TraceBanner();

// Creates the per-run temporary folder (empty string when every attempt failed).
std::string CreateTempFolder(const std::string& exeFolder);
// The run's temporary folder, or the current folder (the last place tried) when none was made.
std::string RunTempFolder();
// Empties and removes the temporary folder; only files below it are ever deleted.
void RemoveTempFolder(const std::string& folder);

// The loading window's layout rules.
int32_t ProgressWidth(int32_t percent, int32_t emptyWidth);
void LoadForm_Show(bool debug);
void LoadForm_Progress(int32_t percent, const std::string& text);
void LoadForm_Close();

bool Load_GameFile();
// Everything of Load_GameFile after reading the file: the executable's bytes are in `stream`.
bool Load_GameStream(CStream& stream);
// Load_GameStream with the marker already found: the game data starts at `marker`.
bool Load_GameData(CStream& stream, size_t marker);
bool Load_Resources(CStream& block);
bool Prepare_Game();
bool Init_Graphics();
void Finish_Game();
void Set_Priority();
bool Play_Game();

} // namespace vl
