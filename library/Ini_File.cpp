#include "library/Ini_File.h"

#include "library/Support_Report.h"
#include "platform/Platform_File.h"
#include "platform/Platform_Os.h"
#include "script/Code_Function.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fmt/format.h>
#include <fstream>
#include <iterator>

namespace vl {

namespace {

std::string_view Trimmed(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// A line break in a name or value would split its line and turn the rest into other entries, or
// into a section; it is written as a space instead.
std::string OneLine(std::string_view s) {
  std::string out(s);
  std::replace_if(
      out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return out;
}

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) {
      if (c == '\r' || c == '\n') return ' '; // names are stored with spaces for them
      return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    };
    return lower(x) == lower(y);
  });
}

} // namespace

void CIniFile::Parse(std::string_view text) {
  i_preamble.clear();
  i_sections.clear();
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string_view trimmed = Trimmed(line);
    if (!trimmed.empty() && trimmed.front() == '[') {
      const std::string_view name = trimmed.substr(1, trimmed.find(']') - 1);
      i_sections.push_back({std::string(Trimmed(name)), {}});
      continue;
    }
    RLine entry{{}, {}, std::string(line)};
    const size_t equals = trimmed.find('=');
    if (!trimmed.empty() && trimmed.front() != ';' && equals != std::string_view::npos) {
      entry.l_key = Trimmed(trimmed.substr(0, equals));
      entry.l_value = Trimmed(trimmed.substr(equals + 1));
    }
    if (i_sections.empty())
      i_preamble.push_back(std::move(entry.l_text));
    else
      i_sections.back().s_lines.push_back(std::move(entry));
  }
}

std::string CIniFile::Text() const {
  std::string text;
  for (const std::string& line : i_preamble) text += line + "\r\n";
  for (const RSection& section : i_sections) {
    text += "[" + section.s_name + "]\r\n";
    for (const RLine& line : section.s_lines) text += line.l_text + "\r\n";
  }
  return text;
}

const CIniFile::RSection* CIniFile::Find(std::string_view section) const {
  for (const RSection& s : i_sections)
    if (SameName(s.s_name, section)) return &s;
  return nullptr;
}

CIniFile::RSection* CIniFile::Find(std::string_view section) {
  return const_cast<RSection*>(std::as_const(*this).Find(section));
}

const CIniFile::RLine* CIniFile::FindKey(const RSection& section, std::string_view key) {
  for (const RLine& line : section.s_lines)
    if (!line.l_key.empty() && SameName(line.l_key, key)) return &line;
  return nullptr;
}

std::optional<std::string> CIniFile::Read(std::string_view section, std::string_view key) const {
  const RSection* s = Find(section);
  const RLine* line = s ? FindKey(*s, key) : nullptr;
  if (!line) return std::nullopt;
  return line->l_value;
}

void CIniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  RSection* s = Find(section);
  if (!s) s = &i_sections.emplace_back(RSection{OneLine(section), {}});
  RLine* line = const_cast<RLine*>(FindKey(*s, key));
  if (!line) line = &s->s_lines.emplace_back(RLine{OneLine(key), {}, {}});
  line->l_value = OneLine(value);
  line->l_text = line->l_key + "=" + line->l_value;
}

bool CIniFile::SectionExists(std::string_view section) const {
  return Find(section) != nullptr;
}

bool CIniFile::KeyExists(std::string_view section, std::string_view key) const {
  return Read(section, key).has_value();
}

void CIniFile::DeleteKey(std::string_view section, std::string_view key) {
  if (RSection* s = Find(section)) {
    if (const RLine* line = FindKey(*s, key))
      s->s_lines.erase(s->s_lines.begin() + (line - s->s_lines.data()));
  }
}

void CIniFile::DeleteSection(std::string_view section) {
  if (const RSection* s = Find(section)) i_sections.erase(i_sections.begin() + (s - i_sections.data()));
}

std::string GeneralNumberText(double x) {
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x > 0 ? "INF" : "-INF";
  if (x == 0) return "0";
  // Fifteen significant digits, rounded once, then placed.
  const std::string scientific = fmt::format("{:.14e}", std::fabs(x));
  std::string digits = scientific.substr(0, 1) + scientific.substr(2, 14);
  const int exponent = std::stoi(scientific.substr(scientific.find('e') + 1));
  digits.erase(digits.find_last_not_of('0') + 1);
  std::string text = x < 0 ? "-" : "";
  if (exponent >= 15 || exponent < -5) {
    text += digits.substr(0, 1);
    if (digits.size() > 1) text += "." + digits.substr(1);
    return text + "E" + std::to_string(exponent);
  }
  if (exponent < 0) return text + "0." + std::string(size_t(-exponent - 1), '0') + digits;
  const size_t whole = size_t(exponent) + 1;
  if (digits.size() <= whole) return text + digits + std::string(whole - digits.size(), '0');
  return text + digits.substr(0, whole) + "." + digits.substr(whole);
}

double ReadIniNumber(std::string_view text) {
  std::string whole, decimals;
  int exponent = 0;
  bool in_decimals = false, in_exponent = false, negative = false, negative_exponent = false;
  for (const char c : text) {
    if (c == '.' || c == ',') {
      if (in_decimals || in_exponent) break;
      in_decimals = true;
    } else if (c == 'E' || c == 'e') {
      if (in_exponent) break;
      in_exponent = true;
    } else if (c == '-') {
      (in_exponent ? negative_exponent : negative) ^= true;
    } else if (c >= '0' && c <= '9') {
      if (in_exponent)
        exponent = std::min(exponent * 10 + (c - '0'), 100000); // far beyond any double already
      else
        (in_decimals ? decimals : whole) += c;
    } else {
      break;
    }
  }
  // The digits read, converted once, so that a written number reads back to the same value.
  const std::string number =
      "0" + whole + "." + decimals + "e" + (negative_exponent ? "-" : "") + std::to_string(exponent);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) {
    const bool zero = (whole + decimals).find_first_not_of('0') == std::string::npos;
    value = zero || negative_exponent ? 0.0 : HUGE_VAL;
  }
  return negative ? -value : value;
}

namespace {

struct RIniState {
  std::optional<CIniFile> is_file;
  std::string is_path;     // already mapped
  bool is_unsaved = false; // the last write-back failed
};

RIniState& IniState() {
  static RIniState state;
  return state;
}

void WriteBack() {
  RIniState& state = IniState();
  state.is_unsaved = !WriteFileAtomically(state.is_path, state.is_file->Text());
}

// Every change has already been written, so closing writes only what could not be written then;
// a file opened only to be read is never created.
void CloseIni() {
  RIniState& state = IniState();
  if (state.is_file && state.is_unsaved) WriteBack();
  state = RIniState();
}

std::string ArgText(const RValue& v) {
  return std::string(v.Str());
}

double ArgReal(const RValue& v) {
  return v.IsReal() ? v.Real() : 0.0;
}

CIniFile* OpenIni(const char* message) {
  CIniFile* file = IniState().is_file ? &*IniState().is_file : nullptr;
  if (!file) ReportFunctionError(message);
  return file;
}

constexpr const char* kReadUndefined = "Trying to read from undefined INI file";
constexpr const char* kWriteUndefined = "Trying to write to undefined INI file";
constexpr const char* kChangeUndefined = "Trying to change undefined INI file";

void ini_open(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  CloseIni();
  RIniState& state = IniState();
  state.is_path = MapPath(ArgText(args[0]));
  std::ifstream in(state.is_path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  state.is_file.emplace().Parse(text);
}

void ini_close(CInstance*, CInstance*, int32_t, RValue&, const RValue*) {
  CloseIni();
}

void ini_read_string(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  if (const CIniFile* file = OpenIni(kReadUndefined))
    result = RValue(file->Read(args[0].Str(), args[1].Str()).value_or(ArgText(args[2])));
  else
    result = RValue(std::string_view());
}

void ini_read_real(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  if (const CIniFile* file = OpenIni(kReadUndefined))
    result = RValue(ReadIniNumber(
        file->Read(args[0].Str(), args[1].Str()).value_or(GeneralNumberText(ArgReal(args[2])))));
}

void ini_write_string(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  if (CIniFile* file = OpenIni(kWriteUndefined)) {
    file->Write(args[0].Str(), args[1].Str(), args[2].Str());
    WriteBack();
  }
}

void ini_write_real(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  if (CIniFile* file = OpenIni(kWriteUndefined)) {
    file->Write(args[0].Str(), args[1].Str(), GeneralNumberText(ArgReal(args[2])));
    WriteBack();
  }
}

void ini_key_exists(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  if (const CIniFile* file = OpenIni(kReadUndefined))
    result = RValue(file->KeyExists(args[0].Str(), args[1].Str()) ? 1.0 : 0.0);
}

void ini_section_exists(CInstance*, CInstance*, int32_t, RValue& result, const RValue* args) {
  if (const CIniFile* file = OpenIni(kReadUndefined))
    result = RValue(file->SectionExists(args[0].Str()) ? 1.0 : 0.0);
}

void ini_key_delete(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  if (CIniFile* file = OpenIni(kChangeUndefined)) {
    file->DeleteKey(args[0].Str(), args[1].Str());
    WriteBack();
  }
}

void ini_section_delete(CInstance*, CInstance*, int32_t, RValue&, const RValue* args) {
  if (CIniFile* file = OpenIni(kChangeUndefined)) {
    file->DeleteSection(args[0].Str());
    WriteBack();
  }
}

} // namespace

void Register_Function_Ini() {
  RegisterFunction("ini_open", ini_open, 1);
  RegisterFunction("ini_close", ini_close, 0);
  RegisterFunction("ini_read_string", ini_read_string, 3);
  RegisterFunction("ini_read_real", ini_read_real, 3);
  RegisterFunction("ini_write_string", ini_write_string, 3);
  RegisterFunction("ini_write_real", ini_write_real, 3);
  RegisterFunction("ini_key_exists", ini_key_exists, 2);
  RegisterFunction("ini_section_exists", ini_section_exists, 1);
  RegisterFunction("ini_key_delete", ini_key_delete, 2);
  RegisterFunction("ini_section_delete", ini_section_delete, 1);
}

void ResetIniState() {
  IniState() = RIniState();
}

} // namespace vl
