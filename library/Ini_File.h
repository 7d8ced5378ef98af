#pragma once
// INI files: the one open INI file, held in memory and written back after every change, and the
// ini_ built-in functions.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

// An INI file's text as sections of "key=value" lines. Section and key names match without
// regard to ASCII letter case, the first of equal names wins, and every other line (comments,
// blank lines, lines before the first section) is kept as it was.
class CIniFile {
public:
  void Parse(std::string_view text);
  // Lines end in CR LF.
  std::string Text() const;

  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  // Adds the section at the end and the key at the end of its section when missing. Line breaks in
  // names and the value become spaces, so that every entry stays on its own line.
  void Write(std::string_view section, std::string_view key, std::string_view value);
  bool SectionExists(std::string_view section) const;
  bool KeyExists(std::string_view section, std::string_view key) const;
  void DeleteKey(std::string_view section, std::string_view key);
  void DeleteSection(std::string_view section);

private:
  struct RLine {
    std::string l_key; // empty for lines kept as they are
    std::string l_value;
    std::string l_text;
  };
  struct RSection {
    std::string s_name;
    std::vector<RLine> s_lines;
  };

  const RSection* Find(std::string_view section) const;
  RSection* Find(std::string_view section);
  static const RLine* FindKey(const RSection& section, std::string_view key);

  std::vector<std::string> i_preamble;
  std::vector<RSection> i_sections;
};

// The general number format: up to 15 significant digits without trailing zeros, "E" and the
// exponent from 1E15 up and below 1E-5, "." as the decimal separator.
std::string GeneralNumberText(double x);
// The number an INI value holds: "," or "." for the decimals, an optional exponent, "-" anywhere
// before the exponent flips the number's sign and after it the exponent's.
double ReadIniNumber(std::string_view text);

void Register_Function_Ini();
// Forgets the open INI file without writing it back.
void ResetIniState();

} // namespace vl
