// A game with a sound effect and MIDI music played headless with --audio-capture: the capture is
// read back and the sound's samples and the music's level checked at their places.
#include "tests/support/Test_Process.h"
#include "tests/support/Test_Sounds.h"
#include "tests/support/Test_Support.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

namespace vl::test {
namespace {

// The 16-bit frames of a capture, checked to be 44 100 Hz stereo PCM.
std::vector<int16_t> ReadCapture(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_GE(bytes.size(), 44u);
  if (bytes.size() < 44) return {};
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  auto u32 = [&](size_t at) {
    uint32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  };
  EXPECT_EQ(u32(24), 44100u);
  EXPECT_EQ(u32(40), bytes.size() - 44);
  std::vector<int16_t> samples((bytes.size() - 44) / 2);
  std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
  return samples;
}

TEST(SoundGame, EffectAndMusicInTheCapture) {
  TScratchDir dir;
  const std::filesystem::path folder = dir.Path() / "game";
  std::filesystem::create_directories(folder);
  // A quarter second at half level, then the music from the thirtieth step on (0.97 s).
  std::ofstream(folder / "tone.wav", std::ios::binary) << ConstantWave(11025, 16384);
  std::ofstream(folder / "song.mid", std::ios::binary) << OneNoteMidi();
  std::ofstream(folder / "game.json") << R"j({
    "settings": {"display_errors": false, "write_errors": true},
    "sounds": [{"name": "snd_tone", "file": "tone.wav"},
               {"name": "snd_song", "file": "song.mid", "kind": "background"}],
    "objects": [{"name": "obj", "events": [
      {"type": "create", "actions": [{"code": "sound_play(snd_tone); sound_play(99); t = 0"}]},
      {"type": "step", "actions": [{"code": "t += 1; if (t == 30) sound_loop(snd_song)"}]}]}],
    "rooms": [{"name": "rm", "speed": 30, "instances": [{"x": 0, "y": 0, "object": "obj"}]}]
  })j";
  const std::string game = dir / "game.vlg", capture = dir / "out.wav";
  const RProcessResult packed =
      RunCommand(Quote(BuiltProgram("vlpack")) + " " + Quote(folder.string()) + " -o " + Quote(game));
  ASSERT_EQ(packed.status, 0) << packed.err;
  const RProcessResult run =
      RunCommand("cd " + Quote(dir.Path().string()) + " && " + Quote(BuiltProgram("vlrun")) +
                 " --headless --steps 60 --audio-capture " + Quote(capture) + " " + Quote(game));
  ASSERT_EQ(run.status, 0) << run.err;
  std::ifstream log(dir / "game_errors.log");
  const std::string errors{std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>()};
  EXPECT_NE(errors.find("Sound does not exist."), std::string::npos) << errors;

  const std::vector<int16_t> s = ReadCapture(capture);
  ASSERT_GE(s.size(), size_t(2 * 88000)) << "about two seconds of sound";
  // The effect from the first frame, at its level, then silence until the music.
  for (size_t f : {size_t(0), size_t(5000), size_t(11024)}) {
    EXPECT_NEAR(s[2 * f], 16384, 1) << f;
    EXPECT_NEAR(s[2 * f + 1], 16384, 1) << f;
  }
  for (size_t f : {size_t(11025), size_t(30000), size_t(40000)}) EXPECT_EQ(s[2 * f], 0) << f;
  double sum = 0;
  const size_t from = 2 * 46000, to = 2 * 88000;
  for (size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
  EXPECT_GT(std::sqrt(sum / double(to - from)) / 32768.0, 0.003);
}

} // namespace
} // namespace vl::test
