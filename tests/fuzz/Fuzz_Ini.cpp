// Fuzzes the INI reader and writer. The input is split at its first 0 byte into the file's text
// and a value to write. Any text must read without a crash; what the reader keeps writes back in a
// form that reads again to the same text; writing the value (whatever its bytes) keeps every other
// entry as it was and reads back as written, with line breaks as spaces and blanks at the ends
// trimmed.
#include "library/Ini_File.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace vl;

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Every section and key name the text holds, as lines of the form "section=key".
std::vector<std::pair<std::string, std::string>> IniNames(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> names;
  std::string section;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line = Trim(line.substr(0, line.size() - 1));
    if (line.starts_with('['))
      section = Trim(line.substr(1, line.find(']') - 1));
    else if (!line.starts_with(';') && line.find('=') != std::string_view::npos)
      names.emplace_back(section, Trim(line.substr(0, line.find('='))));
  }
  return names;
}

// Names compare as the INI file compares them: ASCII case ignored, a line break as a space.
std::string Folded(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

void CheckIni(std::string_view text, std::string_view value) {
  CIniFile ini;
  ini.Parse(text);
  const std::string once = ini.Text();
  CIniFile again;
  again.Parse(once);
  if (again.Text() != once) std::abort();
  std::vector<std::pair<std::string, std::string>> names = IniNames(once);
  std::vector<std::optional<std::string>> before;
  for (const auto& [section, key] : names) before.push_back(ini.Read(section, key));
  (void)ReadIniNumber(value);

  ini.Write("Fuzz Section", "Fuzz Key", value);
  CIniFile written;
  written.Parse(ini.Text());
  std::string expected(value);
  std::replace_if(
      expected.begin(), expected.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  if (written.Read("fuzz section", "fuzz key") != Trim(expected)) std::abort();
  for (size_t i = 0; i < names.size(); ++i) {
    const auto& [section, key] = names[i];
    const bool ours = Folded(section) == "fuzz section" && Folded(key) == "fuzz key";
    if (!ours && written.Read(section, key) != before[i]) std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string_view value =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  CheckIni(input.substr(0, split), value);
  return 0;
}
