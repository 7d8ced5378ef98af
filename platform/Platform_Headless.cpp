// The headless backend: no window or sound device, dialogs on standard error, a virtual clock.
#include "platform/Platform.h"

#include <cstdio>

namespace vl {

namespace {

class THeadlessLoadWindow final : public TLoadWindow {
public:
  void SetImages(const RPixels*, const RPixels*, const RPixels*) override {}
  void SetTransparency(std::optional<uint32_t>, int32_t) override {}
  void SetLayout(const RLoadLayout&) override {}
  void Show() override {}
  void Hide() override {}
};

class THeadlessPlatform final : public TPlatform {
public:
  bool IsHeadless() const override { return true; }

  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }

  bool AskYesNo(const std::string& text, bool defaultYes) override {
    std::fprintf(stderr, "%s [%s]\n", text.c_str(), defaultYes ? "Yes" : "No");
    return defaultYes;
  }

  // Prints the message as the window would show it (lines at each CR) and takes the default answer.
  EErrorAnswer ShowError(const std::string& message, bool) override {
    const size_t first = m_errormemo.Lines().size() + 2; // after the empty line and the underscores
    m_errormemo.Add(message);
    for (size_t i = first; i < m_errormemo.Lines().size(); ++i)
      std::fprintf(stderr, "%s\n", m_errormemo.Lines()[i].c_str());
    return EErrorAnswer::Abort;
  }

  int64_t Microseconds() override { return m_clock; }
  void SleepMicroseconds(int64_t us) override {
    if (us > 0) m_clock += us;
  }
  void PumpEvents() override {}

  RDisplayMode CurrentDisplayMode() override { return m_mode; }
  bool SetDisplayMode(const RDisplayMode& wanted) override {
    if (wanted.width) m_mode.width = wanted.width;
    if (wanted.height) m_mode.height = wanted.height;
    if (wanted.bits) m_mode.bits = wanted.bits;
    if (wanted.frequency) m_mode.frequency = wanted.frequency;
    return true;
  }

  std::unique_ptr<TLoadWindow> CreateLoadWindow() override { return std::make_unique<THeadlessLoadWindow>(); }

private:
  int64_t m_clock = 0;
  RDisplayMode m_mode{1024, 768, 32, 60};
};

} // namespace

std::unique_ptr<TPlatform> CreateHeadlessPlatform() {
  return std::make_unique<THeadlessPlatform>();
}

} // namespace vl
