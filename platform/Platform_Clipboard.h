#pragma once
// The system clipboard's text.

#include <string>

namespace vl {

class TClipboard {
public:
  virtual ~TClipboard() = default;
  virtual bool HasText() = 0;
  // UTF-8; empty when the clipboard holds no text.
  virtual std::string GetText() = 0;
  virtual void SetText(const std::string& text) = 0;
};

} // namespace vl
