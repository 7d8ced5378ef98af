#include "sound/Sound_Play.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vl {

namespace fs = std::filesystem;

namespace {

void (*SoundTrace)(const std::string&) = nullptr;

void TraceLine(const std::string& line) {
  if (SoundTrace) SoundTrace(line);
}

int32_t RoundEven(double v) {
  const double r = std::nearbyint(v);
  return r >= 2147483647.0 ? INT32_MAX : r <= -2147483648.0 ? INT32_MIN : int32_t(r);
}

bool ReadWhole(const std::string& file, std::string& bytes) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// What the media player makes of a file: any audio file libsndfile reads, or MIDI.
std::shared_ptr<const RSegment> MediaSegment(const std::string& file) {
  std::string bytes;
  if (!ReadWhole(file, bytes)) return nullptr;
  auto segment = std::make_shared<RSegment>();
  if (IsMidi(bytes))
    segment->sg_midi = std::move(bytes);
  else if (!DecodeAudio(bytes, segment->sg_pcm))
    return nullptr;
  return segment;
}

} // namespace

void SetSoundTrace(void (*trace)(const std::string& line)) {
  SoundTrace = trace;
}

CSoundLayer::CSoundLayer() : sl_mixer(std::make_unique<CMixer>()) {}

CSoundLayer::~CSoundLayer() = default;

CSoundLayer& SoundLayer() {
  static CSoundLayer layer;
  return layer;
}

void CSoundLayer::Initialise() {
  if (sl_performance) return;
  sl_media = true;
  if (Services().sv_headless) {
    sl_performance = true;
    return;
  }
  if (Services().sv_audio->Open(RAudioFormat{kMixRate, 2}, *sl_mixer)) {
    sl_device = sl_performance = true;
    Clock().SleepMicroseconds(200000);
    return;
  }
  // Shown once: the next operations try the device again without a message each time.
  if (!sl_warned) Dialogs().ShowMessage("No sound device detected. Sounds might not play.");
  sl_warned = true;
}

void CSoundLayer::Shutdown() {
  if (sl_device) Services().sv_audio->Close();
  sl_samples.clear();
  sl_mixer = std::make_unique<CMixer>();
  sl_device = sl_performance = sl_media = false;
  sl_pulled = 0;
}

bool CSoundLayer::Valid(int32_t index) const {
  return index >= 0 && size_t(index) < sl_samples.size() && sl_samples[size_t(index)].ss_used;
}

const RSoundSample* CSoundLayer::Sample(int32_t index) const {
  return Valid(index) ? &sl_samples[size_t(index)] : nullptr;
}

int32_t CSoundLayer::Allocate(int32_t type) {
  auto free =
      std::find_if(sl_samples.begin(), sl_samples.end(), [](const RSoundSample& s) { return !s.ss_used; });
  if (free == sl_samples.end()) free = sl_samples.insert(sl_samples.end(), RSoundSample());
  *free = RSoundSample();
  free->ss_used = true;
  free->ss_type = sl_performance ? type : 3;
  return int32_t(free - sl_samples.begin());
}

std::shared_ptr<const RSegment> CSoundLayer::EngineSegment(std::string_view data) {
  auto segment = std::make_shared<RSegment>();
  if (IsMidi(data))
    segment->sg_midi = std::string(data);
  else if (!IsWave(data) || !DecodeAudio(data, segment->sg_pcm))
    return nullptr;
  return segment;
}

int32_t CSoundLayer::LoadFromMemory(std::string_view data, int32_t kind) {
  Initialise();
  if (!sl_performance) return -1;
  const int32_t index = Allocate(kind);
  RSoundSample& sample = sl_samples[size_t(index)];
  if (sample.ss_type != 3) {
    sample.ss_segment = EngineSegment(data);
    if (!sample.ss_segment) sample.ss_type = 3;
  }
  if (sample.ss_type == 3) {
    sample = RSoundSample();
    return -1;
  }
  return index;
}

int32_t CSoundLayer::LoadFromFile(const std::string& file, int32_t kind) {
  Initialise();
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return -1;
  const int32_t index = Allocate(kind);
  RSoundSample& sample = sl_samples[size_t(index)];
  if (sample.ss_type != 3) {
    std::string bytes;
    if (ReadWhole(file, bytes)) sample.ss_segment = EngineSegment(bytes);
    if (!sample.ss_segment) sample.ss_type = 3;
  }
  if (sample.ss_type == 3) sample.ss_file = file;
  return index;
}

void CSoundLayer::FreeSample(int32_t index) {
  if (!Valid(index)) return;
  sl_mixer->FreePath(index);
  sl_samples[size_t(index)] = RSoundSample();
}

void CSoundLayer::Play(int32_t index, bool loop) {
  Initialise();
  if (!sl_media || !Valid(index)) return;
  RSoundSample& sample = sl_samples[size_t(index)];
  if (sample.ss_type != 3) return sl_mixer->Play(index, sample.ss_segment, loop, sample.ss_type == 1);
  if (sample.ss_file.size() >= 127) return Dialogs().ShowMessage("Music file name too long for player.");
  std::error_code ec;
  if (!fs::is_regular_file(sample.ss_file, ec)) return;
  if (!sample.ss_segment) {
    sample.ss_segment = MediaSegment(sample.ss_file);
    if (!sample.ss_segment) TraceLine("Sound :: cannot decode " + sample.ss_file + ", it plays silence");
  }
  sl_mixer->MediaPlay(index, sample.ss_segment, loop);
}

void CSoundLayer::Stop(int32_t index) {
  Initialise();
  if (!Valid(index)) return;
  if (sl_samples[size_t(index)].ss_type != 3) return sl_mixer->Stop(index);
  if (sl_mixer->MediaPath() == index) sl_mixer->MediaStop();
}

bool CSoundLayer::IsPlaying(int32_t index) {
  Initialise();
  if (!sl_media || !Valid(index)) return false;
  if (sl_samples[size_t(index)].ss_type == 3)
    return sl_mixer->MediaPath() == index && sl_mixer->MediaPlaying();
  return sl_mixer->IsPlaying(index);
}

void CSoundLayer::StopAll() {
  for (int32_t i = 0; i < int32_t(sl_samples.size()); ++i) Stop(i);
}

// A level outside full and silence would be a gain above full or an invalid one: the level stays
// between -96 dB and 0 dB, the pan between the two sides.
void CSoundLayer::SetVolume(int32_t index, int32_t time, double value) {
  Initialise();
  if (!Valid(index) || sl_samples[size_t(index)].ss_type == 3) return;
  const int32_t mB = std::clamp(RoundEven(value * 9600) - 9600, -9600, 0);
  sl_mixer->SetVolume(index, mB, time);
}

void CSoundLayer::SetPan(int32_t index, double value) {
  Initialise();
  if (!Valid(index) || sl_samples[size_t(index)].ss_type == 3) return;
  sl_mixer->SetPan(index, std::clamp(RoundEven(value * 10000), -10000, 10000));
}

void CSoundLayer::SetGlobalVolume(double value) {
  Initialise();
  sl_mixer->SetMasterVolume(std::clamp(RoundEven(value * 11000 - 10000), -10000, 1000));
}

void CSoundLayer::SetTempo(double factor) {
  Initialise();
  sl_mixer->SetTempo(std::clamp(float(factor), 0.01f, 100.0f));
}

// Our mixer loads whole files by name, so the folder is only kept.
void CSoundLayer::SetSearchDirectory(const std::string& folder) {
  Initialise();
  sl_searchfolder = folder;
}

void CSoundLayer::AdvanceTo(int64_t microseconds) {
  if (sl_device) return;
  const int64_t due = microseconds / 1000000 * kMixRate + microseconds % 1000000 * kMixRate / 1000000;
  constexpr int32_t kBlock = 1024;
  sl_scratch.resize(2 * kBlock);
  while (sl_pulled < due) {
    const auto n = int32_t(std::min<int64_t>(kBlock, due - sl_pulled));
    sl_mixer->Fill(sl_scratch.data(), n);
    sl_pulled += n;
  }
}

void CSoundLayer::SetCapture(TMixCapture* capture) {
  sl_mixer->SetCapture(capture);
}

} // namespace vl
