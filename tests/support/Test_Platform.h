#pragma once
// Platform services that record what the runner asks of them.

#include "platform/Platform.h"

#include <memory>
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

// Headless services whose dialogs, clock, events and display are doubles writing into the fields
// below. Not movable: the doubles refer to it.
class TTestPlatform {
public:
  TTestPlatform();
  TTestPlatform(const TTestPlatform&) = delete;
  TTestPlatform& operator=(const TTestPlatform&) = delete;
  TServices& Services() { return *m_services; }

  std::vector<std::string> messages;
  std::vector<std::string> questions;
  bool answer = true;
  // Each message the error window showed, its lines joined with CR as the window breaks them.
  std::vector<std::string> errors;
  std::vector<bool> ignoreOffered;
  std::vector<EErrorAnswer> errorAnswers;         // answered first, in turn
  EErrorAnswer errorAnswer = EErrorAnswer::Abort; // then this, every time
  int64_t clock = 0;
  int pumps = 0;
  std::vector<REvent> pending; // delivered at the next pump
  RDisplayMode mode{1024, 768, 32, 60};
  std::vector<RDisplayMode> modeChanges;

private:
  std::unique_ptr<TServices> m_services;
};

} // namespace vl::test
