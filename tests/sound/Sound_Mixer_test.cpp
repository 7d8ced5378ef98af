// The mixer through the playback layer on the headless output: levels, pan, fades, the background
// segment, overlapping instances, the media player and MIDI, read back from the mixed frames.
#include "sound/Sound_Class.h"
#include "sound/Sound_Play.h"
#include "tests/support/Test_Sounds.h"
#include "tests/support/Test_Support.h"
#include "world/Variable_World.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace vl::test {
namespace {

class Mixer : public ::testing::Test {
protected:
  void SetUp() override { SoundLayer().Shutdown(); }
  void TearDown() override { SoundLayer().Shutdown(); }
  // A sample of a constant level (16384 reads as 0.5).
  int32_t Constant(int32_t kind, int32_t frames = 44100, int16_t level = 16384) {
    return SoundLayer().LoadFromMemory(ConstantWave(frames, level), kind);
  }
  // The next count frames the output would pull.
  std::vector<float> Pull(int32_t count) {
    std::vector<float> frames(size_t(count) * 2);
    SoundLayer().Mixer().Fill(frames.data(), count);
    return frames;
  }
  float Left(int32_t count) { return Pull(count)[size_t(count - 1) * 2]; }
};

TEST_F(Mixer, VolumeGlobalVolumeAndPanLevels) {
  struct RCase {
    double volume, global, pan;
    double left, right; // the gains a level of 1 gets
  };
  const RCase cases[] = {
      {1, 1, 0, 1, 1},
      {0.5, 1, 0, 0.003981, 0.003981}, // -4800
      {0, 1, 0, 1.585e-5, 1.585e-5},   // -9600
      {2, 1, 0, 1, 1},                 // held at full
      {1, 0.5, 0, 0.001778, 0.001778}, // -4500 against +1000
      {1, 0, 0, 3.162e-6, 3.162e-6},   // -10000
      {1, 2, 0, 1, 1},                 // held at +1000
      {1, 1, -1, 1, 1e-5},             // -10000 on the right
      {1, 1, 0.5, 0.003162, 1},        // 5000 on the left
      {1, 1, 7, 1e-5, 1},              // held at the right side
  };
  for (const RCase& c : cases) {
    SoundLayer().Shutdown();
    SoundLayer().Initialise();
    SoundLayer().SetGlobalVolume(c.global);
    const int32_t id = Constant(0);
    ASSERT_GE(id, 0);
    SoundLayer().SetVolume(id, 0, c.volume);
    SoundLayer().SetPan(id, c.pan);
    SoundLayer().Play(id, false);
    const std::vector<float> out = Pull(64);
    EXPECT_NEAR(out[0] / 0.5, c.left, c.left * 1e-3) << c.volume << " " << c.global << " " << c.pan;
    EXPECT_NEAR(out[1] / 0.5, c.right, c.right * 1e-3) << c.volume << " " << c.global << " " << c.pan;
  }
}

TEST_F(Mixer, FadesReachTheirLevelAtTheStatedTime) {
  SoundLayer().Initialise();
  SoundLayer().SetGlobalVolume(1);
  const int32_t id = Constant(0, 44100 * 2);
  SoundLayer().SetVolume(id, 0, 0); // -9600
  SoundLayer().Play(id, false);
  SoundLayer().SetVolume(id, 500, 1); // to 0 over half a second
  const std::vector<float> half = Pull(22050);
  // Halfway (a quarter second in) the level is -4800, at the end full.
  EXPECT_NEAR(half[2 * 11025] / 0.5, 0.003981, 0.0004);
  EXPECT_LT(half[2 * 22000] / 0.5, 1.0);
  EXPECT_NEAR(Left(64) / 0.5, 1.0, 1e-4);
}

TEST_F(Mixer, BackgroundReplacesOverlappingInstancesAndStop) {
  SoundLayer().Initialise();
  SoundLayer().SetGlobalVolume(1);
  const int32_t music1 = Constant(1, 44100, 4096), music2 = Constant(1, 44100, 8192), effect = Constant(0);
  SoundLayer().Play(music1, true);
  SoundLayer().Play(music2, true);
  EXPECT_NEAR(Left(32), 0.25, 1e-4) << "the second background replaces the first";
  EXPECT_FALSE(SoundLayer().IsPlaying(music1));
  SoundLayer().Stop(music2);
  SoundLayer().Play(effect, false);
  SoundLayer().Play(effect, false);
  EXPECT_NEAR(Left(32), 1.0, 1e-4) << "two instances of one sound add up";
  SoundLayer().Stop(effect);
  EXPECT_FALSE(SoundLayer().IsPlaying(effect));
  EXPECT_EQ(Left(32), 0.0f);
}

TEST_F(Mixer, MediaPlayerLoopsAndStopsOnlyItsOwnSound) {
  TScratchDir dir;
  std::vector<int16_t> ramp;
  for (int16_t i = 0; i < 100; ++i) ramp.insert(ramp.end(), {int16_t(i * 100), int16_t(i * 100)});
  std::ofstream(dir / "ramp.wav", std::ios::binary) << WaveBytes(ramp);
  std::ofstream(dir / "other.wav", std::ios::binary) << ConstantWave(10, 100);
  SoundLayer().Initialise();
  const int32_t media = SoundLayer().LoadFromFile(dir / "ramp.wav", 3),
                other = SoundLayer().LoadFromFile(dir / "other.wav", 3);
  ASSERT_EQ(SoundLayer().Sample(media)->ss_type, 3);
  SoundLayer().Play(media, true);
  const std::vector<float> out = Pull(250);
  // Its length passed, it starts again.
  EXPECT_FLOAT_EQ(out[2 * 150], out[2 * 50]);
  EXPECT_FLOAT_EQ(out[2 * 50], 5000.0f / 32768.0f);
  SoundLayer().Stop(other);
  EXPECT_TRUE(SoundLayer().IsPlaying(media));
  SoundLayer().Stop(media);
  EXPECT_FALSE(SoundLayer().IsPlaying(media));
  EXPECT_EQ(SoundLayer().LoadFromFile(dir / "missing.wav", 3), -1);
}

TEST_F(Mixer, MidiPlaysThroughItsPath) {
  SoundLayer().Initialise();
  SoundLayer().SetGlobalVolume(1);
  const int32_t id = SoundLayer().LoadFromMemory(OneNoteMidi(), 1);
  ASSERT_GE(id, 0);
  SoundLayer().Play(id, false);
  const std::vector<float> out = Pull(44100);
  double sum = 0;
  for (float s : out) sum += double(s) * s;
  EXPECT_GT(std::sqrt(sum / double(out.size())), 0.003); // one piano note, about -44 dB
  EXPECT_TRUE(SoundLayer().IsPlaying(id));
  // Files the mixer does not play on its paths go to the media player.
  EXPECT_EQ(SoundLayer().LoadFromMemory("not a sound at all", 0), -1);
}

// A sound that is not preloaded waits for its first use.
TEST_F(Mixer, SoundsNotPreloadedLoadOnFirstUse) {
  CSound sound;
  sound.s_kind = CSound::kNormal;
  sound.s_preload = false;
  const std::string bytes = ConstantWave(10, 0);
  sound.s_sound = std::make_unique<CStream>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  sound.Prepare();
  EXPECT_EQ(sound.s_soundid, -1);
  EXPECT_GE(sound.GetSoundId(), 0);
  EXPECT_EQ(SoundLayer().Sample(sound.s_soundid)->ss_type, CSound::kNormal);
  sound.Clear();
  EXPECT_EQ(SoundLayer().Sample(0), nullptr) << "clearing frees the sample";
}

// A multimedia sound is written to a temporary file named from the game's extension, which keeps
// only a plain extension.
TEST_F(Mixer, MultimediaSoundsGetPlainTemporaryNames) {
  TScratchDir dir;
  GameVariables().gv_tempdirectory = dir.Path().string();
  for (const auto& [ext, plain] : {std::pair{".mp3", ".mp3"}, {"/../../x", ""}, {".a b", ""}}) {
    CSound sound;
    sound.s_kind = CSound::kMultimedia;
    sound.s_extension = ext;
    const std::string bytes = ConstantWave(10, 0);
    sound.s_sound = std::make_unique<CStream>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    sound.Restore();
    ASSERT_FALSE(sound.s_fname.empty());
    const std::filesystem::path file(sound.s_fname);
    EXPECT_EQ(file.parent_path(), dir.Path()) << ext;
    EXPECT_EQ(file.extension().string(), plain) << ext;
    EXPECT_GE(sound.s_soundid, 0);
    sound.Clear();
  }
  GameVariables().gv_tempdirectory.clear();
}

} // namespace
} // namespace vl::test
