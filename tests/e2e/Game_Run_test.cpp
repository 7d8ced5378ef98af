// Whole games: vlpack writes small projects, vlrun plays them headless, and the events' messages on
// standard output show what ran and in which order.
#include "graphics/BM32_Bitmap.h"
#include "tests/support/Test_Process.h"
#include "tests/support/Test_Support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <vector>

namespace vl::test {
namespace {

using RLines = std::vector<std::string>;

RLines Lines(const std::string& text) {
  RLines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class GameRun : public ::testing::Test {
protected:
  // Packs the project (the text of its game.json) and plays it headless in the scratch folder.
  RProcessResult Play(const std::string& project, const std::string& options) {
    const std::filesystem::path folder = dir.Path() / "game";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "game.json") << project;
    const std::string game = dir / "game.vlg";
    const RProcessResult packed =
        RunCommand(Quote(BuiltProgram("vlpack")) + " " + Quote(folder.string()) + " -o " + Quote(game));
    EXPECT_EQ(packed.status, 0) << packed.err;
    return RunCommand("cd " + Quote(dir.Path().string()) + " && env TMPDIR=" + Quote(dir.Path().string()) +
                      " " + Quote(BuiltProgram("vlrun")) + " --headless " + options + " " + Quote(game));
  }
  std::string ErrorLog() {
    std::ifstream log(dir / "game_errors.log");
    return {std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>()};
  }
  TScratchDir dir;
};

TEST_F(GameRun, StepOrder) {
  const std::string project = R"j({
    "objects": [{"name": "obj_trace", "events": [
      {"type": "create", "actions": [{"code": "show_debug_message('create')"}]},
      {"type": "step", "number": 1, "actions": [{"code": "show_debug_message('begin step')"}]},
      {"type": "keyboard", "number": 0, "actions": [{"code": "show_debug_message('keyboard no key')"}]},
      {"type": "keypress", "number": 0, "actions": [{"code": "show_debug_message('key press no key')"}]},
      {"type": "keyrelease", "number": 0, "actions": [{"code": "show_debug_message('key release no key')"}]},
      {"type": "step", "number": 0, "actions": [{"code": "show_debug_message('step')"}]},
      {"type": "step", "number": 2, "actions": [{"code": "show_debug_message('end step')"}]},
      {"type": "draw", "actions": [{"code": "show_debug_message('draw')"}]},
      {"type": "other", "number": 2, "actions": [{"code": "show_debug_message('game start')"}]},
      {"type": "other", "number": 4, "actions": [{"code": "show_debug_message('room start')"}]},
      {"type": "other", "number": 5, "actions": [{"code": "show_debug_message('room end')"}]},
      {"type": "other", "number": 3, "actions": [{"code": "show_debug_message('game end')"}]}
    ]}],
    "rooms": [{"name": "rm", "instances": [{"x": 0, "y": 0, "object": "obj_trace"}]}]
  })j";
  const RProcessResult r = Play(project, "--steps 2");
  ASSERT_EQ(r.status, 0) << r.err;
  const RLines step = {
      "begin step", "keyboard no key", "key press no key", "key release no key", "step", "end step", "draw"};
  RLines expected = {"create", "game start", "room start"};
  for (int i = 0; i < 2; ++i) expected.insert(expected.end(), step.begin(), step.end());
  expected.insert(expected.end(), {"room end", "game end"});
  EXPECT_EQ(Lines(r.out), expected);
}

TEST_F(GameRun, Alarms) {
  // Alarm 0 set to 1 fires in the next step; alarm 1 set to 0 never fires and becomes -1; alarm 3
  // has no event and keeps its value; an alarm event may set its alarm again.
  const std::string project = R"j({
    "objects": [{"name": "obj", "events": [
      {"type": "create", "actions": [{"code": "alarm[0] = 1; alarm[1] = 0; alarm[3] = 2; alarm[2] = 2; steps = 0"}]},
      {"type": "alarm", "number": 0, "actions": [{"code": "show_debug_message('alarm 0 at ' + string(steps))"}]},
      {"type": "alarm", "number": 1, "actions": [{"code": "show_debug_message('alarm 1')"}]},
      {"type": "alarm", "number": 2, "actions": [{"code": "show_debug_message('alarm 2 at ' + string(steps)); alarm[2] = 2"}]},
      {"type": "step", "number": 2, "actions": [{"code": "steps += 1; show_debug_message(string(alarm[1]) + ' ' + string(alarm[3]))"}]}
    ]}],
    "rooms": [{"name": "rm", "instances": [{"x": 0, "y": 0, "object": "obj"}]}]
  })j";
  const RProcessResult r = Play(project, "--steps 5");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out),
            (RLines{"alarm 0 at 0", "-1 2", "alarm 2 at 1", "-1 2", "-1 2", "alarm 2 at 3", "-1 2", "-1 2"}));
}

TEST_F(GameRun, RoomEndBeforeGameEndForEveryInstance) {
  const std::string project = R"j({
    "objects": [{"name": "obj", "events": [
      {"type": "other", "number": 5, "actions": [{"code": "show_debug_message('room end ' + name)"}]},
      {"type": "other", "number": 3, "actions": [{"code": "show_debug_message('game end ' + name)"}]},
      {"type": "step", "actions": [{"code": "if (name == 'b' && ending) game_end()"}]}
    ]}],
    "rooms": [{"name": "rm", "instances": [
      {"x": 0, "y": 0, "object": "obj", "code": "name = 'a'; ending = false"},
      {"x": 0, "y": 0, "object": "obj", "code": "name = 'b'; ending = true"}]}]
  })j";
  // Ended by the game itself, and by --steps as the Esc key would.
  for (const std::string options : {"", "--steps 0", "--steps 3"}) {
    const RProcessResult r = Play(project, options);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out), (RLines{"room end a", "room end b", "game end a", "game end b"})) << options;
  }
}

TEST_F(GameRun, PersistentInstanceTravelsAndReplacesItsTwin) {
  // Room 1 holds an instance with the traveller's id: the traveller replaces it, and that instance
  // runs neither its creation code nor its create event.
  const std::string project = R"j({
    "room_order": [0, 1],
    "objects": [
      {"name": "obj_traveller", "persistent": true, "events": [
        {"type": "create", "actions": [{"code": "trips = 0; show_debug_message('traveller created')"}]},
        {"type": "other", "number": 4, "actions": [{"code": "trips += 1; show_debug_message('trips ' + string(trips))"}]},
        {"type": "step", "actions": [{"code": "if (trips == 1) room_goto(1) else game_end()"}]}
      ]},
      {"name": "obj_local", "events": [
        {"type": "create", "actions": [{"code": "show_debug_message('local ' + tag)"}]}
      ]}
    ],
    "rooms": [
      {"name": "rm_a", "instances": [{"x": 0, "y": 0, "object": "obj_traveller", "id": 100001}]},
      {"name": "rm_b", "instances": [
        {"x": 0, "y": 0, "object": "obj_local", "id": 100001, "code": "tag = 'twin'; show_debug_message('twin code')"},
        {"x": 0, "y": 0, "object": "obj_local", "id": 100002, "code": "tag = 'other'"}]}
    ]
  })j";
  const RProcessResult r = Play(project, "--steps 10");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out), (RLines{"traveller created", "trips 1", "local other", "trips 2"}));
}

TEST_F(GameRun, PersistentRoomKeepsItsInstancesAndSkipsCreation) {
  const std::string project = R"j({
    "room_order": [0, 1],
    "objects": [
      {"name": "obj_home", "events": [
        {"type": "create", "actions": [{"code": "visits = 0; show_debug_message('home created')"}]},
        {"type": "other", "number": 4, "actions": [{"code": "visits += 1; show_debug_message('visit ' + string(visits))"}]},
        {"type": "step", "actions": [{"code": "if (visits < 3) room_goto_next() else game_end()"}]}
      ]},
      {"name": "obj_away", "events": [
        {"type": "create", "actions": [{"code": "show_debug_message('away created')"}]},
        {"type": "step", "actions": [{"code": "room_goto_previous()"}]}
      ]}
    ],
    "rooms": [
      {"name": "rm_home", "persistent": true, "code": "show_debug_message('home code')",
       "instances": [{"x": 0, "y": 0, "object": "obj_home"}]},
      {"name": "rm_away", "instances": [{"x": 0, "y": 0, "object": "obj_away"}]}
    ]
  })j";
  const RProcessResult r = Play(project, "--steps 20");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out), (RLines{"home created", "home code", "visit 1", "away created", "visit 2",
                                  "away created", "visit 3"}));
}

TEST_F(GameRun, InstancesCreatedAndDestroyedFromCode) {
  // Errors go to the log only, so the missing object does not end the game.
  const std::string project = R"j({
    "settings": {"display_errors": false, "write_errors": true},
    "objects": [
      {"name": "obj_maker", "events": [
        {"type": "create", "actions": [{"code": "a = instance_create(5, 6, obj_made); show_debug_message('made ' + string(a)); instance_create(0, 0, 99)"}]},
        {"type": "step", "actions": [{"code": "with (obj_made) instance_destroy()"}]}
      ]},
      {"name": "obj_made", "events": [
        {"type": "create", "actions": [{"code": "show_debug_message('made create')"}]},
        {"type": "destroy", "actions": [{"code": "show_debug_message('made destroy')"}]},
        {"type": "step", "number": 2, "actions": [{"code": "show_debug_message('made end step')"}]}
      ]}
    ],
    "rooms": [{"name": "rm", "instances": [{"x": 0, "y": 0, "object": "obj_maker"}]}]
  })j";
  const RProcessResult r = Play(project, "--steps 2");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out), (RLines{"made create", "made 100002", "made destroy"}));
  EXPECT_NE(ErrorLog().find("Creating instance for non-existing object: 99"), std::string::npos)
      << ErrorLog();
}

TEST_F(GameRun, SavedGameLoadsInAnotherRunOfTheSameGameOnly) {
  // The saving run writes the file from its create event; the loading runs ask for it from theirs,
  // so the load comes before their first step and no room start follows it.
  const std::string saving = R"j({
    "game_id": 77,
    "objects": [{"name": "obj", "events": [
      {"type": "create", "actions": [{"code": "score = 42; x = 40; hp = 5; game_save('s.sav')"}]}
    ]}],
    "rooms": [{"name": "rm", "instances": [{"x": 0, "y": 0, "object": "obj"}]}]
  })j";
  const std::string loading = R"j({
    "game_id": GAME,
    "settings": {"display_errors": false, "write_errors": true},
    "objects": [{"name": "obj", "events": [
      {"type": "create", "actions": [{"code": "game_load('s.sav')"}]},
      {"type": "other", "number": 4, "actions": [{"code": "show_debug_message('room start')"}]},
      {"type": "step", "actions": [{"code": "show_debug_message(string(x) + ' ' + string(score))"}]}
    ]}],
    "rooms": [{"name": "rm", "instances": [{"x": 0, "y": 0, "object": "obj"}]}]
  })j";
  auto game = [&](const std::string& id) {
    std::string text = loading;
    return text.replace(text.find("GAME"), 4, id);
  };
  ASSERT_EQ(Play(saving, "--steps 1").status, 0);
  const RProcessResult same = Play(game("77"), "--steps 1");
  ASSERT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(Lines(same.out), (RLines{"40 42"}));
  EXPECT_EQ(ErrorLog(), "");
  const RProcessResult other = Play(game("78"), "--steps 1");
  ASSERT_EQ(other.status, 0) << other.err;
  EXPECT_EQ(Lines(other.out), (RLines{"0 0"}));
  EXPECT_NE(ErrorLog().find("This is a save file for a different game!"), std::string::npos) << ErrorLog();
}

TEST_F(GameRun, RestartRunsTheGameAgain) {
  const std::string project = R"j({
    "init_code": ["global.steps = 0"],
    "objects": [{"name": "obj", "events": [
      {"type": "other", "number": 2, "actions": [{"code": "show_debug_message('game start')"}]},
      {"type": "other", "number": 3, "actions": [{"code": "show_debug_message('game end')"}]},
      {"type": "step", "actions": [{"code": "global.steps += 1; if (global.steps == 2) game_restart()"}]}
    ]}],
    "rooms": [{"name": "rm", "instances": [{"x": 0, "y": 0, "object": "obj"}]}]
  })j";
  const RProcessResult r = Play(project, "--steps 3");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out), (RLines{"game start", "game end", "game start", "game end"}));
}

TEST_F(GameRun, RoomNumberBeyondTheRoomsIsFatal) {
  const std::string project = R"j({
    "objects": [{"name": "obj", "events": [
      {"type": "step", "actions": [{"code": "room_goto(7)"}, {"code": "show_debug_message('not reached')"}]},
      {"type": "other", "number": 3, "actions": [{"code": "show_debug_message('game end')"}]}
    ]}],
    "rooms": [{"name": "rm", "instances": [{"x": 0, "y": 0, "object": "obj"}]}]
  })j";
  const RProcessResult r = Play(project, "--steps 5");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Unexisting room number: 7"), std::string::npos) << r.err;
  EXPECT_EQ(Lines(r.out), (RLines{"game end"}));
}

TEST_F(GameRun, SeedRepeatsRunsAndRestartsReseed) {
  const std::string project = R"j({
    "objects": [{"name": "obj", "events": [
      {"type": "other", "number": 2, "actions": [{"code": "show_debug_message(string(irandom(1000000)))"}]},
      {"type": "step", "actions": [{"code": "game_restart()"}]}
    ]}],
    "rooms": [{"name": "rm", "instances": [{"x": 0, "y": 0, "object": "obj"}]}]
  })j";
  const RProcessResult a = Play(project, "--seed 42 --steps 2"), b = Play(project, "--seed 42 --steps 2"),
                       c = Play(project, "--seed 43 --steps 1");
  ASSERT_EQ(a.status, 0) << a.err;
  const RLines lines = Lines(a.out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], lines[1]);
  EXPECT_EQ(lines[1], lines[2]);
  EXPECT_EQ(a.out, b.out);
  ASSERT_FALSE(c.out.empty());
  EXPECT_NE(Lines(c.out)[0], lines[0]);
}

TEST_F(GameRun, FramesPerSecondFollowTheRoomSpeedOnTheVirtualClock) {
  const std::string project = R"j({
    "objects": [{"name": "obj", "events": [
      {"type": "create", "actions": [{"code": "steps = 0"}]},
      {"type": "step", "actions": [{"code": "steps += 1; if (steps == 1 || steps == 40 || steps == 70) show_debug_message(string(fps))"}]}
    ]}],
    "rooms": [{"name": "rm", "speed": 30, "instances": [{"x": 0, "y": 0, "object": "obj"}]}]
  })j";
  const RProcessResult r = Play(project, "--steps 70");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out), (RLines{"0", "30", "30"}));
}

// An action whose function is not found at load calls nothing: as a question it answers false.
TEST_F(GameRun, UnlocatedActionFunctionAnswersFalse) {
  const std::string project = R"j({
    "objects": [{"name": "obj", "events": [
      {"type": "create", "actions": [
        {"function": "no_such_function", "question": true},
        {"code": "show_debug_message('true')"},
        {"kind": "else"},
        {"code": "show_debug_message('false')"},
        {"function": "no_such_function"},
        {"code": "show_debug_message('went on')"}
      ]}
    ]}],
    "rooms": [{"name": "rm", "instances": [{"x": 0, "y": 0, "object": "obj"}]}]
  })j";
  const RProcessResult r = Play(project, "--steps 1");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Failed to locate action function no_such_function"), std::string::npos) << r.err;
  EXPECT_EQ(Lines(r.out), (RLines{"false", "went on"}));
}

TEST_F(GameRun, ExampleGameWalksThroughItsRooms) {
  const std::string game = dir / "hello.vlg";
  ASSERT_EQ(RunCommand(Quote(BuiltProgram("vlpack")) + " " + Quote(SourceFile("examples/hello")) + " -o " +
                       Quote(game))
                .status,
            0);
  const RProcessResult r = RunCommand("env TMPDIR=" + Quote(dir.Path().string()) + " " +
                                      Quote(BuiltProgram("vlrun")) + " --headless " + Quote(game));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out), (RLines{"Hello, world", "Room 1", "Leaving the hall after 3 steps", "Room 2",
                                  "Leaving the garden after 3 steps", "Room 3",
                                  "Leaving the tower after 3 steps", "Goodbye after 3 rooms"}));
}

TEST_F(GameRun, WorldExampleMovesAlongItsPathAndInherits) {
  const std::string game = dir / "world.vlg";
  ASSERT_EQ(RunCommand(Quote(BuiltProgram("vlpack")) + " " + Quote(SourceFile("examples/world")) + " -o " +
                       Quote(game))
                .status,
            0);
  const RProcessResult r =
      RunCommand("env TMPDIR=" + Quote(dir.Path().string()) + " " + Quote(BuiltProgram("vlrun")) +
                 " --headless --steps 100 " + Quote(game));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // The child object inherits the ball's alarm and game-end events.
  EXPECT_EQ(Lines(r.out), (RLines{"object 0 ticked 3 times", "object 2 ticked 3 times"}));
}

TEST_F(GameRun, GameWithEverySectionLoadsAndRuns) {
  const std::filesystem::path folder = dir.Path() / "every";
  std::filesystem::create_directories(folder);
  const auto put = [&](const std::string& name, const std::string& text) {
    std::ofstream(folder / name, std::ios::binary) << text;
  };
  put("jump.wav", "RIFF");
  put("info.rtf", "{\\rtf1 How to play}");
  put("kept.txt", "kept");
  put("removed.txt", "removed");
  put("tools.script", "#define ext_init\r\nshow_debug_message(\"init \" + string(ext_const))\r\n"
                      "#define ext_final\r\nshow_debug_message(\"final\")\r\n"
                      "#define ext_twice\r\nreturn argument0 * 2\r\n");
  put("tools.dll", "MZ");
  const std::vector<uint8_t> png = BitmapToPng(TBitmap32(3, 2, 0xFF808080u));
  put("grey.png", std::string(png.begin(), png.end()));
  put("game.json", R"j({
    "sprites": [{"name": "spr_grey", "file": "grey.png"}],
    "backgrounds": [{"name": "bck_grey", "file": "grey.png"}],
    "sounds": [{"name": "snd_jump", "file": "jump.wav", "kind": "multimedia"}],
    "time_lines": [{"name": "tl_waves", "moments": [{"step": 3, "actions": [{"code": "x = 1"}]}]}],
    "included_files": [{"file": "kept.txt", "remove_at_end": false}, {"file": "removed.txt"}],
    "game_info": {"file": "info.rtf", "caption": "Help"},
    "extensions": [{"name": "tools", "key": 99, "files": [
      {"file": "tools.script", "kind": "script", "init": "ext_init", "final": "ext_final",
       "functions": [{"name": "ext_init"}, {"name": "ext_final"}, {"name": "ext_twice", "args": 1}],
       "constants": [{"name": "ext_const", "value": "3"}]},
      {"file": "tools.dll", "kind": "library",
       "functions": [{"name": "native", "external": "Native", "args": 2, "convention": "cdecl"}]}]}],
    "objects": [{"name": "obj", "sprite": 0, "events": [
      {"type": "create", "actions": [{"code": "show_debug_message(ext_twice(21)); show_debug_message(snd_jump + tl_waves + spr_grey + bck_grey); show_debug_message(sprite_width * 10 + sprite_height); show_debug_message(native(1, 2)); show_debug_message(native(3, 4))"}]},
      {"type": "other", "number": 3, "actions": [{"code": "show_debug_message('end')"}]}]}],
    "rooms": [{"name": "room0", "instances": [{"x": 0, "y": 0, "object": "obj"}]}]
  })j");
  const std::string game = dir / "every.vlg";
  const RProcessResult packed =
      RunCommand(Quote(BuiltProgram("vlpack")) + " " + Quote(folder.string()) + " -o " + Quote(game));
  ASSERT_EQ(packed.status, 0) << packed.err;
  const RProcessResult r =
      RunCommand("cd " + Quote(dir.Path().string()) + " && env TMPDIR=" + Quote(dir.Path().string()) + " " +
                 Quote(BuiltProgram("vlrun")) + " --headless --steps 2 " + Quote(game));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out), (RLines{"init 3", "42", "0", "32", "0", "0", "end", "final"}));
  // The library function said once that it cannot be called.
  const RLines said = Lines(r.err);
  ASSERT_EQ(said.size(), 1u) << r.err;
  EXPECT_NE(said[0].find("native"), std::string::npos) << said[0];
  EXPECT_NE(said[0].find("tools.dll"), std::string::npos) << said[0];
  // Included files were written to the working folder; the one marked for it was removed at the end.
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "kept.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "removed.txt"));
}

// The window takes the room's size times the scale, centred on the 1024 x 768 screen; --scale and
// --fullscreen / --windowed override what the game says.
TEST_F(GameRun, WindowFollowsTheRoomAndTheCommandLine) {
  const std::string project = R"j({
    "settings": {"scaling": 200, "fullscreen": true},
    "objects": [{"name": "obj", "events": [{"type": "step", "actions": [{"code":
      "show_debug_message(string(window_get_fullscreen()) + ' ' + string(window_get_x()) + ' ' + string(window_get_y()) + ' ' + string(window_get_width()) + ' ' + string(window_get_height()) + ' ' + string(window_get_region_scale()))"}]}]}],
    "rooms": [{"name": "rm", "width": 160, "height": 120, "instances": [{"x": 0, "y": 0, "object": "obj"}]}]
  })j";
  struct RCase {
    const char* options;
    const char* line;
  } cases[] = {
      {"--steps 1", "1 0 0 1024 768 2"},
      {"--steps 1 --windowed", "0 352 264 320 240 2"},
      {"--steps 1 --windowed --scale 3", "0 272 204 480 360 3"},
  };
  for (const RCase& c : cases) {
    const RProcessResult r = Play(project, c.options);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out), RLines{c.line}) << c.options;
  }
  EXPECT_EQ(Play(project, "--fullscreen --windowed").status, 2);
}

} // namespace
} // namespace vl::test
