#include "library/File_Text.h"

#include "library/File_System.h"
#include "library/Support_Report.h"
#include "platform/Platform_Os.h"
#include "script/Code_Function.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace vl {

std::string TextNumberText(double x) {
  if (std::isnan(x)) return " NAN";
  std::string text = " ";
  if (x < 0) {
    text += "-";
    x = -x;
  }
  if (std::isinf(x)) return text + "INF";
  const double whole = std::floor(x);
  text += fmt::format("{:.0f}", whole);
  const double decimals = std::floor((x - whole) * 1000000);
  if (decimals != 0) text += fmt::format(".{:06.0f}", decimals);
  return text;
}

double ReadTextNumber(std::string_view text, size_t& pos, bool one_file) {
  std::string whole, decimals;
  bool negative = false, in_decimals = false, digits = false, after_sign_or_point = false;
  while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') {
    const char c = text[pos++];
    const bool was_after = std::exchange(after_sign_or_point, false);
    if (c == ' ' || c == '\t') {
      if (one_file || !digits || was_after) {
        after_sign_or_point = was_after;
        continue;
      }
      break;
    }
    if (c == '-') {
      if (!one_file && digits && !was_after) break;
      negative = after_sign_or_point = true;
    } else if (c == '.' || c == ',') {
      if (in_decimals) break;
      in_decimals = after_sign_or_point = true;
    } else if (c >= '0' && c <= '9') {
      (in_decimals ? decimals : whole) += c;
      digits = true;
    } else {
      break;
    }
  }
  const std::string number = "0" + whole + "." + decimals;
  double value = 0;
  if (std::from_chars(number.data(), number.data() + number.size(), value).ec ==
      std::errc::result_out_of_range)
    value = whole.find_first_not_of('0') == std::string::npos ? 0.0 : HUGE_VAL;
  return negative ? -value : value;
}

namespace {

constexpr int32_t kMaxFiles = 32;

// Files being read are held whole; files being written are C streams flushed after each write.
struct RTextFile {
  int t_state = 0; // 0 closed, 1 reading, 2 writing or appending
  std::string t_text;
  size_t t_pos = 0;
  std::FILE* t_out = nullptr;
};

// Slot 0 is the one file, 1..32 the ids.
std::array<RTextFile, kMaxFiles + 1>& Files() {
  static std::array<RTextFile, kMaxFiles + 1> files;
  return files;
}

void Close(RTextFile& f) {
  if (f.t_out) std::fclose(f.t_out);
  f = RTextFile();
}

double ArgReal(const RValue& v) {
  return v.IsReal() ? v.Real() : 0.0;
}

int64_t ArgWhole(const RValue& v) {
  const double x = std::nearbyint(ArgReal(v));
  return std::isfinite(x) && std::fabs(x) < 9e18 ? int64_t(x) : -1;
}

RTextFile* Slot(int64_t id) {
  return id >= 0 && id <= kMaxFiles ? &Files()[size_t(id)] : nullptr;
}

int32_t FreeId() {
  for (int32_t id = 1; id <= kMaxFiles; ++id)
    if (Files()[size_t(id)].t_state == 0) return id;
  ReportFunctionError("Cannot open another file (maximum exceeded).");
  return -1;
}

// False only for a platform failure; a missing file leaves the slot closed.
bool OpenRead(RTextFile& f, const std::string& fname) {
  const std::string path = MapPath(fname);
  std::error_code ec;
  if (!fs::exists(path, ec)) return true;
  std::ifstream in(path, std::ios::binary);
  if (!in || fs::is_directory(path, ec)) {
    ReportFunctionError("Error opening file for reading.");
    return false;
  }
  f.t_text.assign(std::istreambuf_iterator<char>(in), {});
  f.t_state = 1;
  return true;
}

bool OpenWrite(RTextFile& f, const std::string& fname, bool append) {
  if (SecureMode() && IsPathName(fname)) {
    ReportFunctionError(
        (append ? "In secure mode you cannot append to file " : "In secure mode you cannot write file ") +
        fname);
    return false;
  }
  f.t_out = std::fopen(MapPath(fname).c_str(), append ? "ab" : "wb");
  if (!f.t_out) {
    ReportFunctionError(append ? "Error opening file for appending." : "Error opening file for writing.");
    return false;
  }
  f.t_state = 2;
  return true;
}

RTextFile* Reading(int64_t id, const char* message) {
  RTextFile* f = Slot(id);
  if (f && f->t_state == 1) return f;
  ReportFunctionError(message);
  return nullptr;
}

RTextFile* Writing(int64_t id) {
  RTextFile* f = Slot(id);
  if (f && f->t_state == 2) return f;
  ReportFunctionError("File not opened for writing.");
  return nullptr;
}

void Put(RTextFile& f, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), f.t_out);
  std::fflush(f.t_out);
}

std::string_view RestOfLine(RTextFile& f) {
  const std::string_view text(f.t_text);
  const size_t start = f.t_pos;
  while (f.t_pos < text.size() && text[f.t_pos] != '\r' && text[f.t_pos] != '\n') ++f.t_pos;
  return text.substr(start, f.t_pos - start);
}

void SkipLine(RTextFile& f) {
  RestOfLine(f);
  const std::string_view text(f.t_text);
  if (f.t_pos < text.size() && text[f.t_pos] == '\r') ++f.t_pos;
  if (f.t_pos < text.size() && text[f.t_pos] == '\n') ++f.t_pos;
}

bool AtEnd(const RTextFile& f) {
  return f.t_pos >= f.t_text.size();
}

bool AtLineEnd(const RTextFile& f) {
  return AtEnd(f) || f.t_text[f.t_pos] == '\r' || f.t_text[f.t_pos] == '\n';
}

constexpr const char* kNotReading = "File is not opened for reading.";
constexpr const char* kOneNotReading = "File not opened for reading.";

#define VL_ARGS CInstance *, CInstance *, int32_t, RValue &result, const RValue *args

// The id, or -1 also for a missing file opened for reading.
void OpenById(RValue& result, auto&& open) {
  result = RValue(-1.0);
  const int32_t id = FreeId();
  if (id < 0) return;
  RTextFile& f = Files()[size_t(id)];
  if (open(f) && f.t_state != 0) result = RValue(double(id));
}

void file_text_open_read(VL_ARGS) {
  OpenById(result, [&](RTextFile& f) { return OpenRead(f, std::string(args[0].Str())); });
}
void file_text_open_write(VL_ARGS) {
  OpenById(result, [&](RTextFile& f) { return OpenWrite(f, std::string(args[0].Str()), false); });
}
void file_text_open_append(VL_ARGS) {
  OpenById(result, [&](RTextFile& f) { return OpenWrite(f, std::string(args[0].Str()), true); });
}

void file_text_close(VL_ARGS) {
  const int64_t id = ArgWhole(args[0]);
  if (id < 1 || id > kMaxFiles) return ReportFunctionError("Trying to close unexisting text file.");
  Close(Files()[size_t(id)]);
}

void ReadString(RValue& result, int64_t id, const char* message) {
  if (RTextFile* f = Reading(id, message)) result = RValue(RestOfLine(*f));
}
void ReadReal(RValue& result, int64_t id, const char* message, bool one_file) {
  if (RTextFile* f = Reading(id, message)) result = RValue(ReadTextNumber(f->t_text, f->t_pos, one_file));
}
void ReadLine(int64_t id, const char* message) {
  if (RTextFile* f = Reading(id, message)) SkipLine(*f);
}
void Eof(RValue& result, int64_t id) {
  if (RTextFile* f = Reading(id, kNotReading)) result = RValue(AtEnd(*f) ? 1.0 : 0.0);
}
void Eoln(RValue& result, int64_t id) {
  if (RTextFile* f = Reading(id, kNotReading)) result = RValue(AtLineEnd(*f) ? 1.0 : 0.0);
}
void WriteString(int64_t id, const RValue& text) {
  if (RTextFile* f = Writing(id)) Put(*f, text.Str());
}
void WriteReal(int64_t id, const RValue& x) {
  if (RTextFile* f = Writing(id)) Put(*f, TextNumberText(ArgReal(x)));
}
void WriteLine(int64_t id) {
  if (RTextFile* f = Writing(id)) Put(*f, "\r\n");
}

// Ids outside 1..32 name no text file; slot 0 is not theirs.
int64_t TextId(const RValue& v) {
  const int64_t id = ArgWhole(v);
  return id >= 1 ? id : -1;
}

void file_text_read_string(VL_ARGS) {
  ReadString(result, TextId(args[0]), kNotReading);
}
void file_text_read_real(VL_ARGS) {
  ReadReal(result, TextId(args[0]), kNotReading, false);
}
void file_text_readln(VL_ARGS) {
  ReadLine(TextId(args[0]), kNotReading);
}
void file_text_eof(VL_ARGS) {
  Eof(result, TextId(args[0]));
}
void file_text_eoln(VL_ARGS) {
  Eoln(result, TextId(args[0]));
}
void file_text_write_string(VL_ARGS) {
  WriteString(TextId(args[0]), args[1]);
}
void file_text_write_real(VL_ARGS) {
  WriteReal(TextId(args[0]), args[1]);
}
void file_text_writeln(VL_ARGS) {
  WriteLine(TextId(args[0]));
}

void file_open_read(VL_ARGS) {
  Close(Files()[0]);
  OpenRead(Files()[0], std::string(args[0].Str()));
}
void file_open_write(VL_ARGS) {
  Close(Files()[0]);
  OpenWrite(Files()[0], std::string(args[0].Str()), false);
}
void file_open_append(VL_ARGS) {
  Close(Files()[0]);
  OpenWrite(Files()[0], std::string(args[0].Str()), true);
}
void file_close(VL_ARGS) {
  RTextFile& f = Files()[0];
  const bool failed = f.t_out && std::fclose(f.t_out) != 0;
  f = RTextFile();
  if (failed) ReportFunctionError("Error closing file.");
}
void file_read_string(VL_ARGS) {
  ReadString(result, 0, kOneNotReading);
}
void file_read_real(VL_ARGS) {
  ReadReal(result, 0, kOneNotReading, true);
}
void file_readln(VL_ARGS) {
  ReadLine(0, kOneNotReading);
}
void file_eof(VL_ARGS) {
  Eof(result, 0);
}
void file_eoln(VL_ARGS) {
  Eoln(result, 0);
}
void file_write_string(VL_ARGS) {
  WriteString(0, args[0]);
}
void file_write_real(VL_ARGS) {
  WriteReal(0, args[0]);
}
void file_writeln(VL_ARGS) {
  WriteLine(0);
}

#undef VL_ARGS

} // namespace

void Register_Function_TextFiles() {
  RegisterFunction("file_text_open_read", file_text_open_read, 1);
  RegisterFunction("file_text_open_write", file_text_open_write, 1);
  RegisterFunction("file_text_open_append", file_text_open_append, 1);
  RegisterFunction("file_text_close", file_text_close, 1);
  RegisterFunction("file_text_read_string", file_text_read_string, 1);
  RegisterFunction("file_text_read_real", file_text_read_real, 1);
  RegisterFunction("file_text_readln", file_text_readln, 1);
  RegisterFunction("file_text_eof", file_text_eof, 1);
  RegisterFunction("file_text_eoln", file_text_eoln, 1);
  RegisterFunction("file_text_write_string", file_text_write_string, 2);
  RegisterFunction("file_text_write_real", file_text_write_real, 2);
  RegisterFunction("file_text_writeln", file_text_writeln, 1);
  RegisterFunction("file_open_read", file_open_read, 1);
  RegisterFunction("file_open_write", file_open_write, 1);
  RegisterFunction("file_open_append", file_open_append, 1);
  RegisterFunction("file_close", file_close, 0);
  RegisterFunction("file_read_string", file_read_string, 0);
  RegisterFunction("file_read_real", file_read_real, 0);
  RegisterFunction("file_readln", file_readln, 0);
  RegisterFunction("file_eof", file_eof, 0);
  RegisterFunction("file_eoln", file_eoln, 0);
  RegisterFunction("file_write_string", file_write_string, 1);
  RegisterFunction("file_write_real", file_write_real, 1);
  RegisterFunction("file_writeln", file_writeln, 0);
}

void ResetTextFiles() {
  for (RTextFile& f : Files()) Close(f);
}

} // namespace vl
