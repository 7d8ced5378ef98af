#pragma once
// The playback layer: the loaded samples, the output the mixer plays through, and the operations
// that sound resources and the sound_ functions use. Kinds 0..2 play through the mixer's paths;
// kind 3, and anything the mixer cannot load, plays through the media player from a file.

#include "sound/Sound_Mixer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

struct RSoundSample {
  bool ss_used = false;
  int32_t ss_type = 0; // as the sound kinds; 3 for what the media player plays
  std::shared_ptr<const RSegment> ss_segment;
  std::string ss_file; // type 3
};

class CSoundLayer {
public:
  CSoundLayer();
  ~CSoundLayer();

  // Opens the output and readies the mixer; until a device opens (or when headless) the mixer is
  // pulled by the game's clock. Every operation below initialises first.
  void Initialise();
  bool HasPerformance() const { return sl_performance; }
  // Frees every sample and closes the output.
  void Shutdown();

  // A sample slot, or -1 when the mixer cannot play the data.
  int32_t LoadFromMemory(std::string_view data, int32_t kind);
  // A sample slot, or -1 when the file does not exist.
  int32_t LoadFromFile(const std::string& file, int32_t kind);
  void FreeSample(int32_t index);
  void Play(int32_t index, bool loop);
  void Stop(int32_t index);
  bool IsPlaying(int32_t index);
  void StopAll();
  // value 1 is full volume, 0 silence; reached over time milliseconds.
  void SetVolume(int32_t index, int32_t time, double value);
  void SetPan(int32_t index, double value);
  void SetGlobalVolume(double value);
  void SetTempo(double factor);
  void SetSearchDirectory(const std::string& folder);

  // When no device pulls the mixer, mixes up to this time of the game's clock (from its start).
  void AdvanceTo(int64_t microseconds);
  void SetCapture(TMixCapture* capture);
  CMixer& Mixer() { return *sl_mixer; }
  const RSoundSample* Sample(int32_t index) const;

private:
  bool Valid(int32_t index) const;
  int32_t Allocate(int32_t type);
  // Decodes what the mixer plays on its paths: WAV and MIDI files; null for anything else.
  static std::shared_ptr<const RSegment> EngineSegment(std::string_view data);

  std::unique_ptr<CMixer> sl_mixer;
  std::vector<RSoundSample> sl_samples;
  bool sl_media = false;       // the media player exists
  bool sl_performance = false; // the mixer's paths can be used
  bool sl_device = false;      // an audio device pulls the mixer
  bool sl_warned = false;
  int64_t sl_pulled = 0; // frames pulled by the clock
  std::string sl_searchfolder;
  std::vector<float> sl_scratch;
};

CSoundLayer& SoundLayer();
// Writes one line to the trace log, when the runner keeps one.
void SetSoundTrace(void (*trace)(const std::string& line));

} // namespace vl
