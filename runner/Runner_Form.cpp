#include "runner/Runner_Form.h"

#include "platform/Platform.h"
#include "platform/Platform_Os.h"
#include "runner/Runner_Functions.h"
#include "runner/Runner_Load.h"
#include "runner/Runner_Wiring.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>

namespace vl {

namespace {

constexpr const char* kHelpFooter = R"(Examples:
  vlrun game.exe                      play a runner with a game appended
  vlrun --headless --steps 100 g.vlg  run 100 steps without a window
  vlrun --scale 3 --windowed g.vlg    a small game three times its size in a window

Exit status: 0 the game ran, 1 it could not be loaded, 2 wrong command line.)";

int RunGame(RRunner& runner) {
  bool played = false;
  try {
    played = Play_Game();
    if (played) Finish_Game();
  } catch (const std::exception& e) {
    Trace(std::string("Unhandled Exception - ") + e.what());
    Trace("Stack Trace");
    Dialogs().ShowMessage("Unexpected error occured when running the game.");
    return kExitLoadFailed;
  }
  if (runner.rn_corrupt) std::fprintf(stderr, "vlrun: the game data is corrupt (checksum mismatch)\n");
  return played ? kExitOk : kExitLoadFailed;
}

} // namespace

int RunnerMain(int argc, char** argv, TWindowedServices windowed) {
  Reset_Runner();
  RRunner& runner = Runner();
  RRunOptions& options = runner.rn_options;
  std::string game;
  int64_t steps = -1;
  int64_t seed = -1;

  CLI::App app{"vlrun plays a game: a runner with a game appended, or a game file written by vlpack.",
               "vlrun"};
  app.footer(kHelpFooter);
  app.set_version_flag("--version", "vlrun 0.1.0");
  app.add_flag("--headless", options.ro_headless,
               "No window or sound device; steps run back to back on a virtual clock");
  app.add_option("--steps", steps, "End the game after N steps, as the Esc key would")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--seed", seed, "Seed the random generator with N instead of the clock")
      ->check(CLI::Range(0LL, 4294967295LL));
  app.add_flag("--QXTrace", options.ro_trace, "Write the trace log \"Trace.log\" beside the game");
  app.add_option("--audio-capture", options.ro_audiocapture,
                 "Write the mixed sound to FILE as a WAV file (44100 Hz, stereo, 16 bits)");
  int32_t scale = 0;
  app.add_option("--scale", scale,
                 "Show the room N times its size in the window, in place of the game's scale")
      ->check(CLI::Range(1, 16));
  bool fullscreen = false, inWindow = false;
  auto* fullOption = app.add_flag("--fullscreen", fullscreen, "Start in full screen, whatever the game says");
  app.add_flag("--windowed", inWindow, "Start in a window, whatever the game says")->excludes(fullOption);
  bool listFunctions = false;
  app.add_flag("--list-functions", listFunctions,
               "Print the built-in function names in table order and exit");
  app.add_option("GAME", game, "The game to play; without it, the game appended to vlrun itself");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? kExitOk : kExitUsage;
  }
  RegisterBuiltinFunctions();
  if (listFunctions) {
    ListBuiltinFunctions();
    return kExitOk;
  }
  if (steps >= 0) options.ro_steps = steps;
  if (seed >= 0) options.ro_seed = uint32_t(seed);
  if (scale > 0) options.ro_scale = scale;
  if (fullscreen || inWindow) options.ro_fullscreen = fullscreen;
  options.ro_exepath = game.empty() ? ExecutablePath() : std::filesystem::absolute(game).string();

  std::unique_ptr<TServices> services = options.ro_headless ? CreateHeadlessServices() : windowed();
  if (!services) {
    std::fprintf(stderr, "vlrun: cannot open a display; use --headless to run without a window\n");
    return kExitUsage;
  }
  Wire_Runner(*services);
  std::unique_ptr<TLoadWindow> loadWindow = Windows().CreateLoadWindow();
  runner.rn_loadwindow = loadWindow.get();

  const std::string exeFolder = std::filesystem::path(options.ro_exepath).parent_path().string();
  runner.rn_tempfolder = CreateTempFolder(exeFolder);
  runner.rn_trace = TraceWanted(options.ro_trace);
  TraceBanner();
  if (runner.rn_tempfolder.empty())
    Dialogs().ShowMessage("Failed to create temp dir. This can cause serious problems with sounds, etc.");

  const int status = RunGame(runner);
  Display().RestoreMode();
  RemoveTempFolder(runner.rn_tempfolder);
  loadWindow.reset();
  Reset_Runner();
  Unwire_Runner();
  return status;
}

} // namespace vl
