// End to end: scripts, constants and triggers written by vlpack and prepared by vlrun.
#include "tests/support/Test_Process.h"
#include "tests/support/Test_Support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace vl::test {
namespace {

class ScriptSections : public ::testing::Test {
protected:
  // Packs a project whose game.json holds the given keys besides one room, and plays 3 steps.
  RProcessResult PackAndPlay(const std::string& keys) {
    fs::create_directories(dir.Path() / "game/scripts");
    std::ofstream(dir / "game/scripts/add.vls") << "return argument0 + 1";
    std::ofstream(dir / "game/game.json") << R"j({"rooms": [{"name": "room0", "instances": [{"object": 0}]}],
      "objects": [{"name": "obj", "events": [{"type": "trigger", "number": 0, "actions": [{"code":
        "show_debug_message(\"trigger \" + string(t_always) + \" \" + string(speed_max) + \" \" + string(twice(3)))"}]}]}],
      )j" + keys + "}";
    const std::string game = dir / "game.vlg";
    RProcessResult packed =
        RunCommand(Quote(BuiltProgram("vlpack")) + " " + Quote(dir / "game") + " -o " + Quote(game));
    if (packed.status != 0) return packed;
    return RunCommand("env -u temp -u tmp TMPDIR=" + Quote(tmp.Path().string()) + " " +
                      Quote(BuiltProgram("vlrun")) + " --headless --steps 3 " + Quote(game));
  }
  TScratchDir dir, tmp;
};

TEST_F(ScriptSections, AGameWithAllThreeStarts) {
  const RProcessResult r = PackAndPlay(R"j("scripts": [{"name": "add", "file": "scripts/add.vls"}, null,
      {"name": "twice", "code": "return add(add(argument0))"}],
    "constants": [{"name": " speed_max ", "value": "add_const + 1"}, {"name": "add_const", "value": "2"}],
    "triggers": [{"name": "always", "condition": "return 1", "moment": "end_step", "constant": "t_always"}])j");
  EXPECT_EQ(r.status, 1) << r.err; // add_const is defined after speed_max uses it
  EXPECT_NE(r.err.find("Value for constant speed_max  is not valid."), std::string::npos) << r.err;

  const RProcessResult ok = PackAndPlay(R"j("scripts": [{"name": "add", "file": "scripts/add.vls"}, null,
      {"name": "twice", "code": "return add(add(argument0))"}],
    "constants": [{"name": "add_const", "value": "2"}, {"name": " speed_max ", "value": "add_const + twice"}],
    "triggers": [{"name": "always", "condition": "return 1", "moment": "end_step", "constant": "t_always"}])j");
  EXPECT_EQ(ok.status, 0) << ok.err;
  // Raised in each of the 3 end steps; speed_max is 2 plus the number of the script twice.
  EXPECT_EQ(ok.out, "trigger 0 4 5\ntrigger 0 4 5\ntrigger 0 4 5\n");
}

TEST_F(ScriptSections, AScriptHidesTheBuiltInOfItsName) {
  // "random" is a built-in with one argument; the game's script of that name wins, with any count.
  const RProcessResult r =
      PackAndPlay(R"j("scripts": [{"name": "twice", "code": "return random(argument0, 2)"},
      {"name": "random", "code": "return \"mine \" + string(argument0 + argument1)"}],
    "constants": [{"name": "speed_max", "value": "4"}],
    "triggers": [{"name": "always", "condition": "return 1", "moment": "end_step", "constant": "t_always"}])j");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "trigger 0 4 mine 5\ntrigger 0 4 mine 5\ntrigger 0 4 mine 5\n");
}

TEST_F(ScriptSections, StartFailuresHaveTheirMessages) {
  const struct {
    const char* keys;
    const char* message;
  } cases[] = {
      {R"j("triggers": [{"name": "t", "condition": "return 1", "constant": "t_always"}],
        "constants": [{"name": "2fast", "value": "1"}])j",
       "Constant name 2fast  is not valid."},
      {R"j("scripts": [{"name": "broken", "code": "return (1"}])j", "COMPILATION ERROR in Script: broken"},
      {R"j("triggers": [{"name": "cmp", "condition": "x > 5"}])j",
       "COMPILATION ERROR in condition of trigger cmp"},
      {R"j("triggers": [{"name": "t", "condition": "return 1", "moment": 3}])j",
       "a trigger's moment is 0 to 2"},
      {R"j("scripts": [{"name": "s"}])j", "a script needs either \"code\" or \"file\""},
  };
  for (const auto& c : cases) {
    const RProcessResult r = PackAndPlay(c.keys);
    EXPECT_NE(r.status, 0) << c.keys;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.keys << "\n" << r.err;
  }
}

} // namespace
} // namespace vl::test
