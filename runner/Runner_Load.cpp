#include "runner/Runner_Load.h"

#include "data/Background_Class.h"
#include "data/Game_File.h"
#include "data/Sprite_Class.h"
#include "data/Support_Stream.h"
#include "graphics/Graphics_Window.h"
#include "library/Include_File.h"
#include "library/Support_Random.h"
#include "platform/Platform.h"
#include "platform/Platform_Os.h"
#include "runner/IO_Main.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Sections.h"
#include "script/Code_Function.h"
#include "script/Extension_Class.h"
#include "script/Script_Class.h"
#include "script/Trigger_Class.h"
#include "script/Variable_Class.h"
#include "sound/Sound_Class.h"
#include "sound/Sound_Play.h"
#include "world/Constant_Define.h"
#include "world/Object_Class.h"
#include "world/TimeLine_Class.h"
#include "world/Variable_World.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace vl {

RRunner& Runner() {
  static RRunner runner;
  return runner;
}

// ---- Trace log ----------------------------------------------------------------------------------

bool TraceWanted(bool argumentGiven) {
  return argumentGiven || GetEnvironment("QXLOG_TRACE") == "1";
}

void Trace(const std::string& line) {
  if (!Runner().rn_trace) return;
  const fs::path log = fs::path(Runner().rn_options.ro_exepath).parent_path() / "Trace.log";
  if (std::FILE* f = std::fopen(log.string().c_str(), "ab")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

void TraceBanner() {
  const std::string stars(86, '*');
  Trace(stars);
  Trace("vlrun game runner, version 0.1.0");
  Trace(stars);
}

// ---- Temporary folder ---------------------------------------------------------------------------

namespace {

bool TryCreateTempFolder(const fs::path& base, std::mt19937& rng, std::string& result) {
  if (base.empty()) return false;
  std::uniform_int_distribution<int> pick(0, 99999);
  std::error_code ec;
  fs::path folder;
  do {
    folder = base / ("vl_ttt_" + std::to_string(pick(rng)));
  } while (fs::exists(folder, ec));
  if (!fs::create_directories(folder, ec) || ec) return false;
  result = folder.string();
  return true;
}

// The base named by "tempdir.txt", else the environment ("temp", "tmp", "TMPDIR"), else the system's.
fs::path TempBase(const std::string& exeFolder) {
  std::ifstream named(fs::path(exeFolder) / "tempdir.txt");
  std::string line;
  if (named && std::getline(named, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return MapPath(line);
  }
  for (const char* name : {"temp", "tmp", "TMPDIR"})
    if (auto value = GetEnvironment(name); value && !value->empty() && value->size() <= 256) return *value;
  return SystemTempFolder();
}

} // namespace

std::string CreateTempFolder(const std::string& exeFolder) {
  std::mt19937 rng(uint32_t(std::random_device{}()));
  std::string result;
  std::error_code ec;
  if (TryCreateTempFolder(TempBase(exeFolder), rng, result) ||
      TryCreateTempFolder(SystemTempFolder(), rng, result) ||
      TryCreateTempFolder(fs::current_path(ec), rng, result))
    return result;
  return {};
}

std::string RunTempFolder() {
  return Runner().rn_tempfolder.empty() ? std::string(".") : Runner().rn_tempfolder;
}

void RemoveTempFolder(const std::string& folder) {
  if (folder.empty()) return;
  const fs::path root = fs::path(folder).lexically_normal();
  const std::string prefix = root.string();
  std::error_code ec;
  // Symbolic links are removed as links, never followed, so nothing outside the folder is touched.
  auto visit = [&](auto& self, const fs::path& dir) -> void {
    const bool inside = dir.lexically_normal().string().rfind(prefix, 0) == 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      const fs::path entry = it->path();
      const auto status = fs::symlink_status(entry, ec);
      if (fs::is_directory(status))
        self(self, entry);
      else if (inside)
        fs::remove(entry, ec);
    }
    fs::remove(dir, ec);
  };
  if (fs::is_directory(fs::symlink_status(root, ec))) visit(visit, root);
}

// ---- Loading window -----------------------------------------------------------------------------

namespace {

// The picture the loading window shows when the game has no loading image of its own.
constexpr int32_t kDefaultLoadW = 300, kDefaultLoadH = 80;

RPixels View(const TBitmap32* bmp) {
  if (!bmp) return {};
  return {bmp->s_w, bmp->s_h, bmp->s_data.data()};
}

} // namespace

int32_t ProgressWidth(int32_t percent, int32_t emptyWidth) {
  return int32_t(std::nearbyint(double(percent) * double(emptyWidth) / 100.0));
}

void LoadForm_Show(bool debug) {
  RGameSettings& settings = GameData().gd_settings;
  TLoadWindow* window = Runner().rn_loadwindow;
  RLoadLayout& layout = Runner().rn_loadlayout;

  std::unique_ptr<TBitmap32> image = std::move(settings.gs_loadimage);
  std::optional<uint32_t> key;
  if (image && settings.gs_loadtransparent) key = image->GetPixel(0, image->s_h - 1) & 0xFFFFFF;
  std::unique_ptr<TBitmap32> back, front;
  if (settings.gs_showprogress)
    back = std::move(settings.gs_backimage), front = std::move(settings.gs_frontimage);
  const RPixels imageView = View(image.get()), backView = View(back.get()), frontView = View(front.get());
  if (window) {
    window->SetImages(image ? &imageView : nullptr, back ? &backView : nullptr, front ? &frontView : nullptr);
    window->SetTransparency(key, settings.gs_loadalpha);
  }

  layout.bar_visible = settings.gs_showprogress;
  layout.stretch_full = settings.gs_scaleprogress;
  layout.label_visible = debug && settings.gs_showprogress;
  layout.client_w = image ? image->s_w : kDefaultLoadW;
  layout.client_h = image ? image->s_h : kDefaultLoadH;
  const RDisplayMode screen = Display().CurrentMode();
  layout.left = (screen.width - layout.client_w) / 2;
  layout.top = (screen.height - layout.client_h) / 2;
  layout.bar_top = layout.label_top = layout.client_h - 32;
  layout.empty_w = layout.client_w - 2 * layout.bar_left;
  LoadForm_Progress(0, "Loading");
  if (window) window->Show();
}

void LoadForm_Progress(int32_t percent, const std::string& text) {
  RLoadLayout& layout = Runner().rn_loadlayout;
  layout.full_w = ProgressWidth(percent, layout.empty_w);
  layout.label = text;
  if (Runner().rn_loadwindow) Runner().rn_loadwindow->SetLayout(layout);
  Trace(text);
  IO_Pump();
}

void LoadForm_Close() {
  TLoadWindow* window = Runner().rn_loadwindow;
  if (!window) return;
  window->Hide();
  window->SetImages(nullptr, nullptr, nullptr);
}

// ---- Loading the game file ----------------------------------------------------------------------

namespace {

void Fail(const std::string& message) {
  Dialogs().ShowMessage(message);
}

// Only the file name of the carried library is used, so a crafted name cannot write outside the
// temporary folder.
std::string LibraryFileName(const std::string& stored) {
  std::string name = stored;
  for (char& c : name)
    if (c == '\\') c = '/';
  name = fs::path(name).filename().string();
  if (name.empty() || name == "." || name == "..") return {};
  return name;
}

bool WriteLibrary(const std::string& storedName, const CStream& body) {
  const std::string name = LibraryFileName(storedName);
  if (Runner().rn_tempfolder.empty() || name.empty()) return false;
  GameData().gd_libraryname = name;
  return body.SaveToFile((fs::path(Runner().rn_tempfolder) / name).string());
}

enum class ELoad { Ok, Failed, Corrupt };

ELoad ReadGame(CStream& stream, size_t marker) {
  if (!Game_Unscramble(stream, marker)) return ELoad::Corrupt;

  RGameData& game = GameData();
  if (!Game_ReadHeader(stream, marker, game)) return Fail("Error: Wrong version number."), ELoad::Failed;
  if (!Settings_Load(stream, game.gd_settings)) return Fail("Error: Error in resource data."), ELoad::Failed;

  LoadForm_Progress(1, "Reading data");
  LoadForm_Show(game.gd_debug);

  auto [libraryName, library] = Game_ReadLibrary(stream);
  if (!WriteLibrary(libraryName, *library)) return Fail("Error: Failed to initialize D3DX."), ELoad::Failed;

  auto block = Game_ReadResourceHead(stream, game);
  if (!Load_Resources(*block)) return Fail("Error: Error in resource data."), ELoad::Failed;
  return ELoad::Ok;
}

} // namespace

bool Load_Resources(CStream& block) {
  for (size_t i = 0; i < kSections.size(); ++i) {
    const RSection& section = kSections[i];
    LoadForm_Progress(section.percent, section.text);
    if (!section.read(block, GameData())) {
      if (i == 0) Fail("Error in loading extension packages.");
      return false;
    }
  }
  return true;
}

bool Load_GameStream(CStream& stream) {
  const std::optional<size_t> marker = FindMarker(stream);
  if (!marker) return Fail("Error: Not a valid game file."), false;
  return Load_GameData(stream, *marker);
}

bool Load_GameData(CStream& stream, size_t marker) {
  ELoad result;
  try {
    result = ReadGame(stream, marker);
  } catch (const std::exception&) {
    Fail("Failed to load the game data. File seems corrupted.");
    return false;
  }
  Runner().rn_corrupt = result == ELoad::Corrupt;
  return result == ELoad::Ok;
}

bool Load_GameFile() {
  const std::string& exe = Runner().rn_options.ro_exepath;
  Dialogs().SetTitle(fs::path(exe).stem().string());
  CStream stream;
  if (!stream.LoadFromFile(exe)) return Fail("Error: Cannot read the game file."), false;
  return Load_GameStream(stream);
}

// ---- Preparing the game -------------------------------------------------------------------------

namespace {

bool CompileObjects() {
  return Objects().CompileAll();
}

bool PrepareIncludedFiles() {
  IncludedFiles().t_tempfolder = RunTempFolder();
  return IncludedFiles().PrepareAll();
}

bool PrepareExtensions() {
  return Extensions().Prepare(DefineConstant);
}

bool CompileTimeLines() {
  return TimeLines().CompileAll();
}

struct RPrepareStep {
  int32_t percent;
  const char* text;
  bool (*work)();
  const char* failure; // null: the run ends without a message
};

constexpr RPrepareStep kPrepareSteps[] = {
    {50, "Extracting included files", PrepareIncludedFiles, "Failed to extract the included files."},
    {55, "Preparing extension pacakges", PrepareExtensions, "Failed to prepare extension packages."},
    {60, "Preparing constants", DefineConstants, "Failed to define the constants."},
    {61, "Preparing triggers", PrepareTriggers, "Failed to prepare triggers."},
    {62, "Compiling scripts", CompileScripts, "Failed to compile the scripts."},
    {70, "Compiling time line actions", CompileTimeLines, "Failed to compile the actions in the time lines."},
    {72, "Compiling object actions", CompileObjects, "Failed to compile the actions in the objects."},
    {80, "Preparing sounds", PrepareSounds, "Failed to prepare the sounds."},
    {90, "Preparing graphics", Init_Graphics, nullptr},
};

int32_t Pick(int32_t code, std::initializer_list<int32_t> values) {
  if (code < 1 || code > int32_t(values.size())) return 0;
  return values.begin()[code - 1];
}

// The game window from the settings, in their fixed order; the command line may override the scale
// and full screen.
void Init_GameWindow() {
  const RGameSettings& settings = GameData().gd_settings;
  const RRunOptions& options = Runner().rn_options;
  Window_Create();
  Window_SetRegionSize(8, 8, true);
  WindowState().ws_scale = options.ro_scale ? double(*options.ro_scale) : settings.gs_scaling / 100.0;
  Window_SetSizeable(settings.gs_sizeable);
  GameWindow()->SetStayOnTop(settings.gs_stayontop);
  WindowState().ws_colour = uint32_t(settings.gs_windowcolor);
  Window_SetShowBorder(!settings.gs_noborder);
  Window_SetShowIcons(!settings.gs_nobuttons);
  Window_SetFullscreen(options.ro_fullscreen.value_or(settings.gs_fullscreen));
  GameWindow()->SetCursor(settings.gs_showcursor ? 0 : -1);
}

} // namespace

void Set_Priority() {
  // High and highest; normal leaves the priority the program was started with.
  const int32_t level = GameData().gd_settings.gs_priority;
  if (level == 1 || level == 2) SetProcessNice(level == 1 ? -5 : -10);
}

bool Prepare_Game() {
  Set_Priority();
  const RGameSettings& settings = GameData().gd_settings;
  StrictArgumentCount = settings.gs_argumenterrors;
  TreatUninitializedAsZero = settings.gs_variableerrors;
  for (const RPrepareStep& step : kPrepareSteps) {
    LoadForm_Progress(step.percent, step.text);
    if (!step.work()) {
      if (step.failure) Fail(step.failure);
      return false;
    }
  }
  LoadForm_Progress(100, "Ready");
  LoadForm_Close();
  return true;
}

bool Init_Graphics() {
  const RGameSettings& settings = GameData().gd_settings;
  RDisplayMode wanted;
  bool change = false;
  if (settings.gs_changeresolution) {
    wanted.bits = Pick(settings.gs_colordepth, {16, 32});
    const int32_t widths[] = {320, 640, 800, 1024, 1280, 1600}, heights[] = {240, 480, 600, 768, 1024, 1200};
    if (settings.gs_resolution >= 1 && settings.gs_resolution <= 6)
      wanted.width = widths[settings.gs_resolution - 1], wanted.height = heights[settings.gs_resolution - 1];
    wanted.frequency = Pick(settings.gs_frequency, {60, 70, 85, 100, 120});
    change = wanted.bits || wanted.width || wanted.frequency;
  }
  const int32_t depth = Display().CurrentMode().bits;
  if (wanted.bits == 0 && depth != 16 && depth != 32) {
    if (!Dialogs().AskYesNo(
            "This application requires 16-bit or 32-bit color mode. Should I switch to a valid color mode?",
            true))
      return false;
    wanted.bits = 16;
    change = true;
  }
  if (change) Display().SetMode(wanted);
  Init_GameWindow();
  Trace("Init_Graphics :: GR_D3D_Init");
  Trace("Init_Graphics :: Background_InitTextures");
  Backgrounds().InitTextures();
  Trace("Init_Graphics :: Sprite_InitTextures");
  Sprites().InitTextures();
  Trace("Init_Graphics :: Background_FontTextures");
  Trace("Init_Graphics :: GR_D3D_Start_Frame");
  Trace("Init_Graphics :: Finished");
  return true;
}

void Finish_Game() {
  // Graphics are released here as that subsystem arrives.
  SoundLayer().AdvanceTo(Clock().Microseconds());
  SoundLayer().SetCapture(nullptr);
  Runner().rn_capture.reset();
  FinishSounds();
  IncludedFiles().RemoveAll();
}

bool Play_Game() {
  if (!Load_GameFile()) return false;
  RGameVariables& variables = GameVariables();
  variables.gv_tempdirectory = Runner().rn_tempfolder;
  variables.gv_programdirectory = fs::path(Runner().rn_options.ro_exepath).parent_path().string();
  variables.gv_debugmode = GameData().gd_debug;
  const RRunOptions& options = Runner().rn_options;
  if (!options.ro_audiocapture.empty()) {
    auto capture = std::make_unique<CWaveCapture>();
    if (capture->Open(options.ro_audiocapture)) {
      SoundLayer().SetCapture(capture.get());
      Runner().rn_capture = std::move(capture);
    } else {
      std::fprintf(stderr, "vlrun: cannot write the audio capture %s\n", options.ro_audiocapture.c_str());
    }
  }
  if (!Prepare_Game()) return false;
  SetStartSeed(options.ro_seed);
  RunState().rs_steplimit = options.ro_steps;
  Run_Game();
  return true;
}

} // namespace vl
