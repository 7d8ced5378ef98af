#pragma once
// A platform double that records what the runner asks of it.

#include "platform/Platform.h"

#include <string>
#include <vector>

namespace vl::test {

class TTestLoadWindow final : public TLoadWindow {
public:
  void SetImages(const RPixels* image, const RPixels* barBack, const RPixels* barFront) override;
  void SetTransparency(std::optional<uint32_t> colourKey, int32_t alpha) override;
  void SetLayout(const RLoadLayout& layout) override { layouts.push_back(layout); }
  void Show() override { shown = true, showCount++; }
  void Hide() override { shown = false; }

  bool shown = false;
  int showCount = 0;
  bool hasImage = false, hasBack = false, hasFront = false;
  std::optional<uint32_t> colourKey;
  int32_t alpha = 255;
  std::vector<RLoadLayout> layouts;
};

class TTestPlatform final : public TPlatform {
public:
  bool IsHeadless() const override { return true; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool AskYesNo(const std::string& text, bool) override {
    questions.push_back(text);
    return answer;
  }
  EErrorAnswer ShowError(const std::string& message, bool ignoreVisible) override {
    errors.push_back(message);
    ignoreOffered.push_back(ignoreVisible);
    return errorAnswer;
  }
  int64_t Microseconds() override { return clock; }
  void SleepMicroseconds(int64_t us) override { clock += us; }
  void PumpEvents() override { pumps++; }
  RDisplayMode CurrentDisplayMode() override { return mode; }
  bool SetDisplayMode(const RDisplayMode& wanted) override {
    modeChanges.push_back(wanted);
    return true;
  }
  std::unique_ptr<TLoadWindow> CreateLoadWindow() override { return std::make_unique<TTestLoadWindow>(); }

  std::vector<std::string> messages;
  std::vector<std::string> questions;
  bool answer = true;
  std::vector<std::string> errors;
  std::vector<bool> ignoreOffered;
  EErrorAnswer errorAnswer = EErrorAnswer::Abort;
  int64_t clock = 0;
  int pumps = 0;
  RDisplayMode mode{1024, 768, 32, 60};
  std::vector<RDisplayMode> modeChanges;
};

} // namespace vl::test
