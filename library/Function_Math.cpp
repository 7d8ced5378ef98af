#include "library/Function_Math.h"

#include "library/Support_Random.h"
#include "library/Support_Report.h"
#include "platform/Platform_Text.h"
#include "script/Code_Function.h"
#include "script/Code_Operator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fmt/format.h>
#include <numbers>

namespace vl {

namespace {

#define VL_MATH_ARGS CInstance *, CInstance *, int32_t argc, RValue &r, const RValue *a

double RealOf(const RValue& v) {
  return v.IsReal() ? v.Real() : 0.0;
}

RValue Text(std::string_view s) {
  return RValue(s);
}

// The result of a function that reports a failure instead of giving a NaN or an infinity.
void Checked(RValue& r, double v, const char* message) {
  if (std::isfinite(v)) {
    r = RValue(v);
  } else {
    ReportFunctionError(message);
  }
}

// ---- Random -------------------------------------------------------------------------------------

// An integer lo .. hi (reals already floored), drawn with Random(hi - lo + 1).
double RandomBetween(double lo, double hi) {
  if (std::isnan(lo) || std::isnan(hi)) return 0;
  const double span = std::min(hi - lo + 1, 4294967296.0);
  return lo + (span >= 1 ? Random(static_cast<uint64_t>(span)) : 0);
}

// ---- UTF-8 text as UTF-16 code units ------------------------------------------------------------

// The byte length of the character at i and its UTF-16 unit count; a byte that starts no valid
// sequence is one character of one unit.
size_t CharBytes(std::string_view s, size_t i, int& units) {
  const auto c = static_cast<unsigned char>(s[i]);
  const size_t n = c >= 0xF8 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : 0;
  units = 1;
  if (n == 0 || i + n >= s.size()) return 1;
  for (size_t k = 1; k <= n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  units = n == 3 ? 2 : 1;
  return n + 1;
}

int64_t UnitLength(const RValue& v) {
  if (v.IsAscii()) return static_cast<int64_t>(v.Str().size());
  const std::string_view s = v.Str();
  int64_t count = 0;
  for (size_t i = 0; i < s.size();) {
    int units;
    i += CharBytes(s, i, units);
    count += units;
  }
  return count;
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The units start .. start + count - 1 (0-based, already clipped to the text). Half of a
// surrogate pair becomes U+FFFD, as in a conversion from UTF-16.
std::string SliceUnits(const RValue& v, int64_t start, int64_t count) {
  const std::string_view s = v.Str();
  if (v.IsAscii()) return std::string(s.substr(size_t(start), size_t(count)));
  std::string out;
  const int64_t end = start + count;
  int64_t u = 0;
  for (size_t i = 0; i < s.size() && u < end;) {
    int units;
    const size_t n = CharBytes(s, i, units);
    const int64_t inside = std::min(u + units, end) - std::max(u, start);
    if (inside == units)
      out.append(s.substr(i, n));
    else if (inside > 0)
      out.append(kReplacement);
    i += n;
    u += units;
  }
  return out;
}

// The 1-based unit position of byte offset off.
int64_t UnitsBefore(const RValue& v, size_t off) {
  if (v.IsAscii()) return static_cast<int64_t>(off);
  const std::string_view s = v.Str();
  int64_t u = 0;
  for (size_t i = 0; i < off && i < s.size();) {
    int units;
    i += CharBytes(s, i, units);
    u += units;
  }
  return u;
}

// string_length: characters counted by their lead bytes (194..253 start a sequence of 2 to 6 bytes).
int64_t LeadByteLength(const RValue& v) {
  const std::string_view s = v.Str();
  if (v.IsAscii()) return static_cast<int64_t>(s.size());
  int64_t count = 0;
  for (size_t i = 0; i < s.size(); ++count) {
    const auto c = static_cast<unsigned char>(s[i]);
    i += c < 194 || c > 253 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF8 ? 4 : c < 0xFC ? 5 : 6;
  }
  return count;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | cp >> 6), out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | cp >> 12), out += char(0x80 | (cp >> 6 & 0x3F)), out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | cp >> 18), out += char(0x80 | (cp >> 12 & 0x3F)), out += char(0x80 | (cp >> 6 & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

} // namespace

// ASCII text (nearly all game text) is mapped directly.
std::string ChangeCase(const RValue& v, bool upper) {
  std::string out(v.Str());
  if (v.IsAscii()) {
    for (char& c : out)
      if (upper ? (c >= 'a' && c <= 'z') : (c >= 'A' && c <= 'Z')) c = char(c ^ 0x20);
    return out;
  }
  const std::string_view s = v.Str();
  out.clear();
  for (size_t i = 0; i < s.size();) {
    int units;
    const size_t n = CharBytes(s, i, units);
    const auto c = static_cast<unsigned char>(s[i]);
    if (n == 1 && c >= 0x80) { // a byte outside any sequence stays as it is
      out += s[i++];
      continue;
    }
    uint32_t cp = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    cp = upper ? UnicodeUpper(cp) : UnicodeLower(cp);
    AppendUtf8(out, cp);
    i += n;
  }
  return out;
}

namespace {

// The characters of the Windows code page 1252 at 0x80 .. 0x9F (0xA0 and up are Latin-1).
constexpr uint16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

template <class Keep>
std::string Filter(std::string_view s, Keep keep) {
  std::string out;
  for (char c : s)
    if (keep(c)) out += c;
  return out;
}

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Every occurrence of from replaced, left to right, without rescanning inserted text; with
// all false only the first. False when the result would be too long.
bool ReplaceText(std::string_view s, std::string_view from, std::string_view to, bool all, std::string& out) {
  out.clear();
  if (from.empty()) {
    out = s;
    return true;
  }
  size_t pos = 0;
  for (size_t hit; (hit = s.find(from, pos)) != std::string_view::npos;) {
    out.append(s.substr(pos, hit - pos)).append(to);
    pos = hit + from.size();
    if (out.size() > kMaxStringBytes) return false;
    if (!all) break;
  }
  out.append(s.substr(pos));
  return out.size() <= kMaxStringBytes;
}

// ---- Min, max, median ---------------------------------------------------------------------------

void MinMax(int32_t argc, RValue& r, const RValue* a, int sign) {
  if (argc == 0) return;
  r = a[0];
  for (int32_t i = 1; i < argc; ++i) {
    const RValue& v = a[i];
    if (r.IsReal() && (sign < 0 ? RealOf(v) < r.Real() : RealOf(v) > r.Real())) r = v;
    if (r.IsString()) {
      // A real's string part is empty; an empty text has no bytes to compare.
      const std::string_view vs = v.Str(), rs = r.Str();
      const int c = vs.empty() || rs.empty() ? int(!vs.empty()) - int(!rs.empty()) : CompareStrings(v, r);
      if (sign < 0 ? c < 0 : c > 0) r = v;
    }
  }
}

// The index of the median argument, or -1 (no arguments, or NaN reals that order nothing).
int32_t Median(int32_t argc, const RValue* a) {
  const double half = argc / 2.0;
  for (int32_t i = 0; i < argc; ++i) {
    const double x = RealOf(a[i]);
    int below = 0, atOrBelow = 0;
    for (int32_t j = 0; j < argc; ++j) {
      below += RealOf(a[j]) < x;
      atOrBelow += RealOf(a[j]) <= x;
    }
    if (below < half && atOrBelow >= half) return i;
  }
  return -1;
}

// len x cos or sin, replaced by the nearest integer when it lies within 0.0001 of it.
double SnapToInteger(double v) {
  const double n = std::nearbyint(v);
  return std::fabs(v - n) <= 0.0001 ? n + 0.0 : v;
}

double DotProduct(double x1, double y1, double z1, double x2, double y2, double z2) {
  const double d = std::sqrt(x1 * x1 + y1 * y1 + z1 * z1) * std::sqrt(x2 * x2 + y2 * y2 + z2 * z2);
  return d == 0 ? 0 : (x1 * x2 + y1 * y2 + z1 * z2) / d; // a zero-length vector has no angle
}

int64_t Index(const RValue& v) {
  return RoundToInt64(RealOf(v));
}

} // namespace

// ---- Conversions --------------------------------------------------------------------------------

std::string RealToString(double x) {
  if (!std::isfinite(x)) return "ERROR";
  if (std::nearbyint(x) == x && std::fabs(x) < 9.2e18) return fmt::format("{}", static_cast<int64_t>(x));
  if (std::fabs(x) < 1e10) return fmt::format("{:.2f}", x);
  return fmt::format("{:.2E}", x);
}

std::string RealToStringFormat(double x, int32_t tot, int32_t dec) {
  if (!std::isfinite(x)) return "ERROR";
  dec = std::clamp(dec, 0, 18);
  std::string s = std::fabs(x) < 1e18 ? fmt::format("{:.{}f}", x, dec) : fmt::format("{:.{}E}", x, dec);
  const size_t width = static_cast<size_t>(std::clamp<int64_t>(tot, 0, int64_t(kMaxStringBytes)));
  if (s.size() < width) s.insert(0, width - s.size(), ' ');
  return s;
}

bool StringToReal(std::string_view text, double& value) {
  value = 0;
  auto space = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  if (text.empty()) return true;
  // Only [sign] digits [. digits] [e [sign] digits] with at least one digit: no "inf", "nan" or hex.
  size_t i = 0;
  const bool negative = text[0] == '-';
  if (text[0] == '+' || text[0] == '-') ++i;
  const size_t start = i;
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.')
    for (++i; i < text.size() && IsDigit(text[i]); ++i) ++digits;
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t k = i + 1;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
    const size_t expStart = k;
    while (k < text.size() && IsDigit(text[k])) ++k;
    if (k == expStart) return false;
    i = k;
  }
  if (i != text.size()) return false;
  double v = 0;
  const auto res = std::from_chars(text.data() + start, text.data() + text.size(), v);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return false;
  value = negative ? -v : v;
  return true;
}

void Register_Function_Math() {
  // Variable argument counts.
  RegisterFunction(
      "min", [](VL_MATH_ARGS) { MinMax(argc, r, a, -1); }, -1);
  RegisterFunction(
      "max", [](VL_MATH_ARGS) { MinMax(argc, r, a, 1); }, -1);
  RegisterFunction(
      "mean",
      [](VL_MATH_ARGS) {
        double sum = 0;
        for (int32_t i = 0; i < argc; ++i) sum += RealOf(a[i]);
        r = RValue(argc ? sum / argc : 0.0);
      },
      -1);
  RegisterFunction(
      "median",
      [](VL_MATH_ARGS) {
        if (const int32_t i = Median(argc, a); i >= 0) r = a[i];
      },
      -1);
  RegisterFunction(
      "choose",
      [](VL_MATH_ARGS) {
        if (argc > 0) r = a[Random(uint32_t(argc))];
      },
      -1);

  // No arguments.
  RegisterFunction(
      "random_get_seed", [](VL_MATH_ARGS) { r = RValue(double(int32_t(GetRandomSeed()))); }, 0);
  RegisterFunction(
      "randomize", [](VL_MATH_ARGS) { RandomizeSeed(); }, 0);

  // One argument.
  RegisterFunction(
      "is_real", [](VL_MATH_ARGS) { r = RValue(a[0].IsReal() ? 1.0 : 0.0); }, 1);
  RegisterFunction(
      "is_string", [](VL_MATH_ARGS) { r = RValue(a[0].IsString() ? 1.0 : 0.0); }, 1);
  RegisterFunction(
      "random", [](VL_MATH_ARGS) { r = RValue(Random01() * RealOf(a[0])); }, 1);
  // A negative x draws from x .. 0, as irandom_range(0, x) would.
  RegisterFunction(
      "irandom",
      [](VL_MATH_ARGS) {
        const double n = std::floor(RealOf(a[0]));
        r = RValue(RandomBetween(std::min(0.0, n), std::max(0.0, n)));
      },
      1);
  RegisterFunction(
      "random_set_seed",
      [](VL_MATH_ARGS) {
        SetRandomSeed(static_cast<uint32_t>(static_cast<uint64_t>(RoundToInt64(RealOf(a[0])))));
      },
      1);
  RegisterFunction(
      "abs", [](VL_MATH_ARGS) { r = RValue(std::fabs(RealOf(a[0]))); }, 1);
  RegisterFunction(
      "round", [](VL_MATH_ARGS) { r = RValue(std::nearbyint(RealOf(a[0]))); }, 1);
  RegisterFunction(
      "floor", [](VL_MATH_ARGS) { r = RValue(std::floor(RealOf(a[0]))); }, 1);
  RegisterFunction(
      "ceil", [](VL_MATH_ARGS) { r = RValue(std::ceil(RealOf(a[0]))); }, 1);
  RegisterFunction(
      "sign",
      [](VL_MATH_ARGS) {
        const double x = RealOf(a[0]);
        r = RValue(x <= -1e-13 ? -1.0 : x < 1e-13 ? 0.0 : 1.0);
      },
      1);
  RegisterFunction(
      "frac",
      [](VL_MATH_ARGS) {
        const double x = RealOf(a[0]);
        r = RValue(x - std::trunc(x));
      },
      1);
  RegisterFunction(
      "sqrt",
      [](VL_MATH_ARGS) {
        const double x = RealOf(a[0]);
        if (x < 0)
          ReportFunctionError("Cannot apply sqrt to negative number.");
        else
          r = RValue(std::sqrt(x));
      },
      1);
  RegisterFunction(
      "sqr", [](VL_MATH_ARGS) { r = RValue(RealOf(a[0]) * RealOf(a[0])); }, 1);
  RegisterFunction(
      "exp", [](VL_MATH_ARGS) { Checked(r, std::exp(RealOf(a[0])), "Error in function exp()."); }, 1);
  RegisterFunction(
      "ln", [](VL_MATH_ARGS) { Checked(r, std::log(RealOf(a[0])), "Error in function ln()."); }, 1);
  RegisterFunction(
      "log2", [](VL_MATH_ARGS) { Checked(r, std::log2(RealOf(a[0])), "Error in function log2()."); }, 1);
  RegisterFunction(
      "log10", [](VL_MATH_ARGS) { Checked(r, std::log10(RealOf(a[0])), "Error in function log10()."); }, 1);
  RegisterFunction(
      "sin", [](VL_MATH_ARGS) { r = RValue(std::sin(RealOf(a[0]))); }, 1);
  RegisterFunction(
      "cos", [](VL_MATH_ARGS) { r = RValue(std::cos(RealOf(a[0]))); }, 1);
  RegisterFunction(
      "tan", [](VL_MATH_ARGS) { r = RValue(std::tan(RealOf(a[0]))); }, 1);
  RegisterFunction(
      "arcsin", [](VL_MATH_ARGS) { Checked(r, std::asin(RealOf(a[0])), "Error in function arcsin()."); }, 1);
  RegisterFunction(
      "arccos", [](VL_MATH_ARGS) { Checked(r, std::acos(RealOf(a[0])), "Error in function arccos()."); }, 1);
  RegisterFunction(
      "arctan", [](VL_MATH_ARGS) { Checked(r, std::atan(RealOf(a[0])), "Error in function arctan()."); }, 1);
  RegisterFunction(
      "degtorad", [](VL_MATH_ARGS) { r = RValue(RealOf(a[0]) * std::numbers::pi / 180); }, 1);
  RegisterFunction(
      "radtodeg", [](VL_MATH_ARGS) { r = RValue(RealOf(a[0]) * 180 / std::numbers::pi); }, 1);
  RegisterFunction(
      "real",
      [](VL_MATH_ARGS) {
        if (a[0].IsReal()) {
          r = a[0];
          return;
        }
        double v;
        if (StringToReal(a[0].Str(), v))
          r = RValue(v);
        else
          ReportFunctionError("Error in function real().");
      },
      1);
  RegisterFunction(
      "string", [](VL_MATH_ARGS) { r = a[0].IsString() ? a[0] : Text(RealToString(a[0].Real())); }, 1);
  RegisterFunction(
      "chr",
      [](VL_MATH_ARGS) {
        const auto b = static_cast<uint32_t>(static_cast<uint64_t>(RoundToInt64(RealOf(a[0]))) & 0xFF);
        std::string s;
        AppendUtf8(s, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
        r = Text(s);
      },
      1);
  RegisterFunction(
      "ansi_char",
      [](VL_MATH_ARGS) {
        const char b = static_cast<char>(static_cast<uint64_t>(RoundToInt64(RealOf(a[0]))) & 0xFF);
        r = Text(std::string_view(&b, 1));
      },
      1);
  RegisterFunction(
      "ord",
      [](VL_MATH_ARGS) {
        const std::string_view s = a[0].Str();
        r = RValue(s.empty() ? 0.0 : double(static_cast<unsigned char>(s[0])));
      },
      1);
  RegisterFunction(
      "string_length", [](VL_MATH_ARGS) { r = RValue(double(LeadByteLength(a[0]))); }, 1);
  RegisterFunction(
      "string_byte_length", [](VL_MATH_ARGS) { r = RValue(double(a[0].Str().size())); }, 1);
  RegisterFunction(
      "string_lower", [](VL_MATH_ARGS) { r = Text(ChangeCase(a[0], false)); }, 1);
  RegisterFunction(
      "string_upper", [](VL_MATH_ARGS) { r = Text(ChangeCase(a[0], true)); }, 1);
  RegisterFunction(
      "string_letters", [](VL_MATH_ARGS) { r = Text(Filter(a[0].Str(), IsLetter)); }, 1);
  RegisterFunction(
      "string_digits", [](VL_MATH_ARGS) { r = Text(Filter(a[0].Str(), IsDigit)); }, 1);
  RegisterFunction(
      "string_lettersdigits",
      [](VL_MATH_ARGS) { r = Text(Filter(a[0].Str(), [](char c) { return IsLetter(c) || IsDigit(c); })); },
      1);

  // Two arguments.
  RegisterFunction(
      "random_range",
      [](VL_MATH_ARGS) {
        const double x = RealOf(a[0]), y = RealOf(a[1]);
        const double lo = std::min(x, y), hi = std::max(x, y);
        r = RValue(lo + Random01() * (hi - lo));
      },
      2);
  RegisterFunction(
      "irandom_range",
      [](VL_MATH_ARGS) {
        const double x = std::floor(RealOf(a[0])), y = std::floor(RealOf(a[1]));
        r = RValue(RandomBetween(std::min(x, y), std::max(x, y)));
      },
      2);
  RegisterFunction(
      "arctan2",
      [](VL_MATH_ARGS) {
        Checked(r, std::atan2(RealOf(a[0]), RealOf(a[1])), "Error in function arctan2().");
      },
      2);
  RegisterFunction(
      "power",
      [](VL_MATH_ARGS) { Checked(r, std::pow(RealOf(a[0]), RealOf(a[1])), "Error in function power()."); },
      2);
  RegisterFunction(
      "logn",
      [](VL_MATH_ARGS) {
        Checked(r, std::log(RealOf(a[1])) / std::log(RealOf(a[0])), "Error in function logn().");
      },
      2);
  RegisterFunction(
      "string_byte_at",
      [](VL_MATH_ARGS) {
        const std::string_view s = a[0].Str();
        const int64_t n = Index(a[1]);
        if (n >= 1 && n <= int64_t(s.size())) r = RValue(double(static_cast<unsigned char>(s[n - 1])));
      },
      2);
  RegisterFunction(
      "string_pos",
      [](VL_MATH_ARGS) {
        const std::string_view sub = a[0].Str(), s = a[1].Str();
        const size_t hit = sub.empty() ? std::string_view::npos : s.find(sub);
        r = RValue(hit == std::string_view::npos ? 0.0 : double(UnitsBefore(a[1], hit) + 1));
      },
      2);
  RegisterFunction(
      "string_char_at",
      [](VL_MATH_ARGS) {
        const int64_t index = Index(a[1]);
        if (a[0].IsString() && index >= 1 && index <= UnitLength(a[0]))
          r = Text(SliceUnits(a[0], index - 1, 1));
        else
          r = Text("");
      },
      2);
  RegisterFunction(
      "string_repeat",
      [](VL_MATH_ARGS) {
        const std::string_view s = a[0].Str();
        const int64_t n = Index(a[1]);
        std::string out;
        if (n > 0 && !s.empty()) {
          if (uint64_t(n) > kMaxStringBytes / s.size()) {
            ReportFunctionError("String too long.");
          } else {
            out.reserve(s.size() * size_t(n));
            for (int64_t i = 0; i < n; ++i) out.append(s);
          }
        }
        r = Text(out);
      },
      2);
  RegisterFunction(
      "string_count",
      [](VL_MATH_ARGS) {
        const std::string_view sub = a[0].Str(), s = a[1].Str();
        double count = 0;
        if (!sub.empty())
          for (size_t pos = s.find(sub); pos != std::string_view::npos; pos = s.find(sub, pos + sub.size()))
            ++count;
        r = RValue(count);
      },
      2);
  RegisterFunction(
      "lengthdir_x",
      [](VL_MATH_ARGS) {
        r = RValue(SnapToInteger(RealOf(a[0]) * std::cos(RealOf(a[1]) * std::numbers::pi / 180)));
      },
      2);
  RegisterFunction(
      "lengthdir_y",
      [](VL_MATH_ARGS) {
        r = RValue(SnapToInteger(-RealOf(a[0]) * std::sin(RealOf(a[1]) * std::numbers::pi / 180)));
      },
      2);

  // Three arguments.
  RegisterFunction(
      "min3", [](VL_MATH_ARGS) { MinMax(3, r, a, -1); }, 3);
  RegisterFunction(
      "max3", [](VL_MATH_ARGS) { MinMax(3, r, a, 1); }, 3);
  RegisterFunction(
      "string_format",
      [](VL_MATH_ARGS) {
        if (a[0].IsString()) {
          r = a[0];
          return;
        }
        const auto tot = static_cast<int32_t>(std::clamp<int64_t>(Index(a[1]), INT32_MIN, INT32_MAX));
        const auto dec = static_cast<int32_t>(std::clamp<int64_t>(Index(a[2]), INT32_MIN, INT32_MAX));
        r = Text(RealToStringFormat(a[0].Real(), tot, dec));
      },
      3);
  RegisterFunction(
      "string_copy",
      [](VL_MATH_ARGS) {
        const int64_t length = UnitLength(a[0]);
        const int64_t index = std::max<int64_t>(Index(a[1]), 1), count = Index(a[2]);
        if (index > length || count <= 0) return void(r = Text(""));
        r = Text(SliceUnits(a[0], index - 1, std::min(count, length - index + 1)));
      },
      3);
  RegisterFunction(
      "string_delete",
      [](VL_MATH_ARGS) {
        const int64_t length = UnitLength(a[0]);
        const int64_t index = Index(a[1]), count = Index(a[2]);
        if (index < 1 || index > length || count <= 0) return void(r = a[0].IsString() ? a[0] : Text(""));
        const int64_t end = count >= length ? length : std::min(length, index - 1 + count);
        r = Text(SliceUnits(a[0], 0, index - 1) + SliceUnits(a[0], end, length - end));
      },
      3);
  RegisterFunction(
      "string_insert",
      [](VL_MATH_ARGS) {
        const std::string_view sub = a[0].Str(), s = a[1].Str();
        const int64_t index = std::clamp<int64_t>(Index(a[2]), 1, int64_t(s.size()) + 1);
        if (s.size() + sub.size() > kMaxStringBytes) return ReportFunctionError("String too long.");
        std::string out(s);
        out.insert(size_t(index - 1), sub);
        r = Text(out);
      },
      3);
  RegisterFunction(
      "string_replace",
      [](VL_MATH_ARGS) {
        std::string out;
        if (ReplaceText(a[0].Str(), a[1].Str(), a[2].Str(), false, out))
          r = Text(out);
        else
          ReportFunctionError("String too long.");
      },
      3);
  RegisterFunction(
      "string_replace_all",
      [](VL_MATH_ARGS) {
        std::string out;
        if (ReplaceText(a[0].Str(), a[1].Str(), a[2].Str(), true, out))
          r = Text(out);
        else
          ReportFunctionError("String too long.");
      },
      3);

  // Four and six arguments.
  RegisterFunction(
      "dot_product",
      [](VL_MATH_ARGS) {
        r = RValue(DotProduct(RealOf(a[0]), RealOf(a[1]), 0, RealOf(a[2]), RealOf(a[3]), 0));
      },
      4);
  RegisterFunction(
      "point_distance",
      [](VL_MATH_ARGS) {
        const double dx = RealOf(a[2]) - RealOf(a[0]), dy = RealOf(a[3]) - RealOf(a[1]);
        r = RValue(std::sqrt(dx * dx + dy * dy));
      },
      4);
  RegisterFunction(
      "point_direction",
      [](VL_MATH_ARGS) {
        const double dx = RealOf(a[2]) - RealOf(a[0]), dy = RealOf(a[3]) - RealOf(a[1]);
        if (dx == 0) return void(r = RValue(dy > 0 ? 270.0 : dy < 0 ? 90.0 : 0.0));
        const double e = std::atan2(dy, dx) * 180 / std::numbers::pi;
        r = RValue(e > 0 ? 360 - e : -e);
      },
      4);
  RegisterFunction(
      "dot_product_3d",
      [](VL_MATH_ARGS) {
        r = RValue(
            DotProduct(RealOf(a[0]), RealOf(a[1]), RealOf(a[2]), RealOf(a[3]), RealOf(a[4]), RealOf(a[5])));
      },
      6);
  RegisterFunction(
      "point_distance_3d",
      [](VL_MATH_ARGS) {
        const double dx = RealOf(a[3]) - RealOf(a[0]), dy = RealOf(a[4]) - RealOf(a[1]),
                     dz = RealOf(a[5]) - RealOf(a[2]);
        r = RValue(std::sqrt(dx * dx + dy * dy + dz * dz));
      },
      6);
}

#undef VL_MATH_ARGS

} // namespace vl
