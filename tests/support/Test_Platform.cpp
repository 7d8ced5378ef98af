#include "tests/support/Test_Platform.h"

#include <utility>

namespace vl::test {

void TTestLoadWindow::SetImages(const RPixels* image, const RPixels* barBack, const RPixels* barFront) {
  hasImage = image != nullptr, hasBack = barBack != nullptr, hasFront = barFront != nullptr;
}

void TTestLoadWindow::SetTransparency(std::optional<uint32_t> key, int32_t a) {
  colourKey = key, alpha = a;
}

namespace {

class TTestDialogs final : public TDialogs {
public:
  explicit TTestDialogs(TTestPlatform& p) : m_p(p) {}
  void SetTitle(const std::string&) override {}
  void ShowMessage(const std::string& text) override { m_p.messages.push_back(text); }
  bool AskYesNo(const std::string& text, bool) override {
    m_p.questions.push_back(text);
    return m_p.answer;
  }
  EErrorAnswer ShowError(const std::vector<std::string>& lines, size_t first, bool ignoreVisible) override {
    std::string message;
    for (size_t i = first; i < lines.size(); ++i) message += (i > first ? "\r" : "") + lines[i];
    m_p.errors.push_back(message);
    m_p.ignoreOffered.push_back(ignoreVisible);
    if (m_p.errorAnswers.empty()) return m_p.errorAnswer;
    const EErrorAnswer answer = m_p.errorAnswers.front();
    m_p.errorAnswers.erase(m_p.errorAnswers.begin());
    return answer;
  }

private:
  TTestPlatform& m_p;
};

class TTestClock final : public TClock {
public:
  explicit TTestClock(TTestPlatform& p) : m_p(p) {}
  int64_t Microseconds() override { return m_p.clock; }
  void SleepMicroseconds(int64_t us) override { m_p.clock += us; }
  bool IsVirtual() const override { return true; }

private:
  TTestPlatform& m_p;
};

class TTestEvents final : public TEventSource {
public:
  explicit TTestEvents(TTestPlatform& p) : m_p(p) {}
  void PumpEvents(TEventSink& sink) override {
    m_p.pumps++;
    const std::vector<REvent> events = std::exchange(m_p.pending, {});
    for (const REvent& event : events) sink.OnEvent(event);
  }

private:
  TTestPlatform& m_p;
};

class TTestDisplay final : public TDisplay {
public:
  explicit TTestDisplay(TTestPlatform& p) : m_p(p) {}
  RDisplayMode CurrentMode() override { return m_p.mode; }
  bool SetMode(const RDisplayMode& wanted) override {
    m_p.modeChanges.push_back(wanted);
    return true;
  }
  bool TestMode(const RDisplayMode&) override { return true; }
  void RestoreMode() override {}

private:
  TTestPlatform& m_p;
};

class TTestWindows final : public TWindows {
public:
  std::unique_ptr<TLoadWindow> CreateLoadWindow() override { return std::make_unique<TTestLoadWindow>(); }
  std::unique_ptr<TGameWindow> CreateGameWindow() override { return m_headless->CreateGameWindow(); }
  explicit TTestWindows(std::unique_ptr<TWindows> headless) : m_headless(std::move(headless)) {}

private:
  std::unique_ptr<TWindows> m_headless; // the game window is the headless one
};

} // namespace

TTestPlatform::TTestPlatform() : m_services(CreateHeadlessServices()) {
  m_services->sv_dialogs = std::make_unique<TTestDialogs>(*this);
  m_services->sv_clock = std::make_unique<TTestClock>(*this);
  m_services->sv_events = std::make_unique<TTestEvents>(*this);
  m_services->sv_display = std::make_unique<TTestDisplay>(*this);
  m_services->sv_windows = std::make_unique<TTestWindows>(std::move(m_services->sv_windows));
}

} // namespace vl::test
