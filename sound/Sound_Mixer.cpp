#include "sound/Sound_Mixer.h"

#include "sound/Sound_Midi.h"

#include <algorithm>
#include <cmath>

namespace vl {

namespace {
// Gains change at most once per this many frames (1.5 ms): fine enough for fades, cheap enough for
// many voices.
constexpr int32_t kChunk = 64;
} // namespace

double GainOf(double mB) {
  return std::pow(10.0, mB / 2000.0);
}

struct CMixer::RPath {
  double p_from = 0, p_to = 0; // levels in hundredths of a decibel
  int64_t p_start = 0, p_length = 0;
  int32_t p_pan = 0;
  double Level(int64_t at) const {
    if (p_length <= 0 || at >= p_start + p_length) return p_to;
    return p_from + (p_to - p_from) * double(at - p_start) / double(p_length);
  }
};

struct CMixer::RVoice {
  int32_t v_path = -1;
  std::shared_ptr<const RSegment> v_segment;
  size_t v_pos = 0;
  bool v_loop = false;
  bool v_primary = false;
  std::unique_ptr<CMidiRenderer> v_midi;
};

CMixer::CMixer() = default;
CMixer::~CMixer() = default;

CMixer::RPath& CMixer::PathOf(int32_t path) {
  if (size_t(path) >= m_paths.size()) m_paths.resize(size_t(path) + 1);
  return m_paths[size_t(path)];
}

bool CMixer::MixVoice(RVoice& voice, float* out, int32_t count, double master) {
  RPath& path = PathOf(voice.v_path);
  for (int32_t done = 0; done < count;) {
    const int32_t n = std::min(kChunk, count - done);
    const double gain = GainOf(path.Level(m_frames + done)) * master;
    const auto left = float(gain * (path.p_pan > 0 ? GainOf(-path.p_pan) : 1.0));
    const auto right = float(gain * (path.p_pan < 0 ? GainOf(path.p_pan) : 1.0));
    float* o = out + 2 * done;
    if (voice.v_midi) {
      if (!voice.v_midi->Mix(o, n, left, right)) return false;
    } else {
      const RPcm& pcm = voice.v_segment->sg_pcm;
      const size_t frames = pcm.Frames();
      if (frames == 0) return false;
      for (int32_t i = 0; i < n; ++i) {
        if (voice.v_pos >= frames) {
          if (!voice.v_loop) return false;
          voice.v_pos = 0;
        }
        o[2 * i] += pcm.pc_samples[2 * voice.v_pos] * left;
        o[2 * i + 1] += pcm.pc_samples[2 * voice.v_pos + 1] * right;
        ++voice.v_pos;
      }
      if (voice.v_pos >= frames && !voice.v_loop) return false;
    }
    done += n;
  }
  return true;
}

void CMixer::Fill(float* frames, int32_t count) {
  std::fill(frames, frames + 2 * size_t(count), 0.0f);
  std::lock_guard lock(m_lock);
  std::erase_if(m_voices,
                [&](const std::unique_ptr<RVoice>& v) { return !MixVoice(*v, frames, count, m_master); });
  // The media player is a device of its own: the master volume does not reach it.
  if (m_media && !MixVoice(*m_media, frames, count, 1.0)) m_media.reset();
  for (int32_t i = 0; i < 2 * count; ++i) frames[i] = std::clamp(frames[i], -1.0f, 1.0f);
  m_frames += count;
  if (m_capture) m_capture->Write(frames, count);
}

namespace {
std::unique_ptr<CMidiRenderer> RendererFor(const RSegment& segment, bool loop, float tempo) {
  return segment.IsMidi() ? CMidiRenderer::Create(segment.sg_midi, loop, tempo) : nullptr;
}
} // namespace

void CMixer::Play(int32_t path, std::shared_ptr<const RSegment> segment, bool loop, bool primary) {
  if (!segment || path < 0) return;
  auto voice = std::make_unique<RVoice>();
  voice->v_path = path, voice->v_loop = loop, voice->v_primary = primary;
  // The synthesizer loads its SoundFont before the lock, so the output never waits for that.
  float tempo;
  {
    std::lock_guard lock(m_lock);
    tempo = m_tempo;
  }
  voice->v_midi = RendererFor(*segment, loop, tempo);
  if (segment->IsMidi() && !voice->v_midi) return;
  voice->v_segment = std::move(segment);
  std::lock_guard lock(m_lock);
  PathOf(path);
  if (primary) std::erase_if(m_voices, [](const std::unique_ptr<RVoice>& v) { return v->v_primary; });
  m_voices.push_back(std::move(voice));
}

void CMixer::Stop(int32_t path) {
  std::lock_guard lock(m_lock);
  std::erase_if(m_voices, [path](const std::unique_ptr<RVoice>& v) { return v->v_path == path; });
}

bool CMixer::IsPlaying(int32_t path) const {
  std::lock_guard lock(m_lock);
  return std::any_of(m_voices.begin(), m_voices.end(),
                     [path](const std::unique_ptr<RVoice>& v) { return v->v_path == path; });
}

void CMixer::SetVolume(int32_t path, int32_t mB, int32_t ms) {
  if (path < 0) return;
  std::lock_guard lock(m_lock);
  RPath& p = PathOf(path);
  p.p_from = p.Level(m_frames);
  p.p_to = mB;
  p.p_start = m_frames;
  p.p_length = ms > 0 ? int64_t(ms) * kMixRate / 1000 : 0;
}

void CMixer::SetPan(int32_t path, int32_t pan) {
  if (path < 0) return;
  std::lock_guard lock(m_lock);
  PathOf(path).p_pan = pan;
}

void CMixer::FreePath(int32_t path) {
  std::lock_guard lock(m_lock);
  std::erase_if(m_voices, [path](const std::unique_ptr<RVoice>& v) { return v->v_path == path; });
  if (m_mediapath == path) m_media.reset(), m_mediapath = -1;
  if (size_t(path) < m_paths.size()) m_paths[size_t(path)] = RPath();
}

// The master level starts at +10 dB; that is our full level, so the ten decibels are headroom
// rather than a gain that would clip every loud sound.
void CMixer::SetMasterVolume(int32_t mB) {
  std::lock_guard lock(m_lock);
  m_master = GainOf(mB - 1000);
}

void CMixer::SetTempo(float factor) {
  std::lock_guard lock(m_lock);
  m_tempo = factor;
  for (const std::unique_ptr<RVoice>& v : m_voices)
    if (v->v_midi) v->v_midi->SetTempo(factor);
  if (m_media && m_media->v_midi) m_media->v_midi->SetTempo(factor);
}

void CMixer::MediaPlay(int32_t path, std::shared_ptr<const RSegment> segment, bool loop) {
  auto voice = std::make_unique<RVoice>();
  voice->v_path = path, voice->v_loop = loop;
  if (segment) voice->v_midi = RendererFor(*segment, loop, 1.0f);
  voice->v_segment = std::move(segment);
  std::lock_guard lock(m_lock);
  PathOf(path);
  m_mediapath = path;
  // A file the player cannot decode is held but plays silence.
  const bool audible = voice->v_segment && (voice->v_midi || !voice->v_segment->IsMidi());
  m_media = audible ? std::move(voice) : nullptr;
}

void CMixer::MediaStop() {
  std::lock_guard lock(m_lock);
  m_media.reset();
}

int32_t CMixer::MediaPath() const {
  std::lock_guard lock(m_lock);
  return m_mediapath;
}

bool CMixer::MediaPlaying() const {
  std::lock_guard lock(m_lock);
  return m_media != nullptr;
}

void CMixer::StopEverything() {
  std::lock_guard lock(m_lock);
  m_voices.clear();
  m_media.reset();
  m_mediapath = -1;
}

void CMixer::SetCapture(TMixCapture* capture) {
  std::lock_guard lock(m_lock);
  m_capture = capture;
}

int64_t CMixer::FramesMixed() const {
  std::lock_guard lock(m_lock);
  return m_frames;
}

} // namespace vl
