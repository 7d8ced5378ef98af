#pragma once
// The mixer: every playing instance goes through its sound's path (volume in hundredths of a
// decibel with timed fades, pan), then the master volume, into float stereo frames that the audio
// output pulls. A media-player stream plays beside them. Calls come from the game thread while the
// output pulls from its own, so every entry locks.

#include "platform/Platform_Media.h"
#include "sound/Sound_Decode.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vl {

class CMidiRenderer;

// What a sound plays: decoded frames, or a MIDI file rendered as it plays.
struct RSegment {
  RPcm sg_pcm;
  std::string sg_midi; // the file, when it is MIDI
  bool IsMidi() const { return !sg_midi.empty(); }
};

// Receives every block the mixer produces.
class TMixCapture {
public:
  virtual ~TMixCapture() = default;
  virtual void Write(const float* frames, int32_t count) = 0;
};

class CMixer final : public TAudioSource {
public:
  CMixer();
  ~CMixer() override;

  void Fill(float* frames, int32_t count) override;

  // Plays a segment on path; a primary segment replaces the primary one playing.
  void Play(int32_t path, std::shared_ptr<const RSegment> segment, bool loop, bool primary);
  // Stops every instance playing on path.
  void Stop(int32_t path);
  bool IsPlaying(int32_t path) const;
  // The path's volume reaches mB hundredths of a decibel after ms milliseconds (0: at once).
  void SetVolume(int32_t path, int32_t mB, int32_t ms);
  // -10000 (left only) .. 10000 (right only).
  void SetPan(int32_t path, int32_t pan);
  // Forgets the path and stops what plays on it.
  void FreePath(int32_t path);
  void SetMasterVolume(int32_t mB);
  void SetTempo(float factor);

  // The media player: one stream at a time, for the path of the sound it plays; with loop it starts
  // again each time its length has passed.
  void MediaPlay(int32_t path, std::shared_ptr<const RSegment> segment, bool loop);
  void MediaStop();
  // The path of the sound the player holds, -1 when none; whether it is playing.
  int32_t MediaPath() const;
  bool MediaPlaying() const;

  void StopEverything();
  void SetCapture(TMixCapture* capture);
  // Frames mixed since the mixer was made.
  int64_t FramesMixed() const;

private:
  struct RPath;
  struct RVoice;
  RPath& PathOf(int32_t path);
  // Adds a voice's next frames to out; false when it has ended.
  bool MixVoice(RVoice& voice, float* out, int32_t count, double master);

  mutable std::mutex m_lock;
  std::vector<RPath> m_paths;
  std::vector<std::unique_ptr<RVoice>> m_voices;
  std::unique_ptr<RVoice> m_media;
  int32_t m_mediapath = -1;
  double m_master = 1.0;
  float m_tempo = 1.0f;
  int64_t m_frames = 0;
  TMixCapture* m_capture = nullptr;
};

// Gain of a level in hundredths of a decibel.
double GainOf(double mB);

} // namespace vl
