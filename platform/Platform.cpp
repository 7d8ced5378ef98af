#include "platform/Platform.h"

namespace vl {

namespace {
TPlatform* Active = nullptr;
} // namespace

TPlatform* ActivePlatform() {
  return Active;
}
void SetActivePlatform(TPlatform* platform) {
  Active = platform;
}

void TErrorMemo::Add(const std::string& message) {
  m_lines.emplace_back();
  m_lines.emplace_back(43, '_');
  std::string line;
  for (char c : message) {
    if (c == '\r')
      m_lines.push_back(std::move(line)), line.clear();
    else if (c != '\n')
      line += c;
  }
  m_lines.push_back(std::move(line));
}

std::string TErrorMemo::Text() const {
  std::string text;
  for (const std::string& line : m_lines) text += line + "\n";
  return text;
}

} // namespace vl
