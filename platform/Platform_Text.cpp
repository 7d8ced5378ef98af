#include "platform/Platform_Text.h"

#include <locale.h>
#include <wctype.h>

namespace vl {

namespace {

// The C library's UTF-8 locale knows the case pairs of all of Unicode; without it only ASCII maps.
locale_t Utf8Locale() {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
  return utf8;
}

// Code page 1252 at 0x80..0x9F; the rest of the page equals Latin-1.
constexpr uint16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const auto b = uint8_t(bytes[i]);
    int32_t extra;
    uint32_t cp, min;
    if (b < 0x80) {
      ++i;
      continue;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3, cp = b & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (i + size_t(extra) >= bytes.size()) return false;
    for (int32_t k = 1; k <= extra; ++k) {
      const auto c = uint8_t(bytes[i + size_t(k)]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are not UTF-8.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += size_t(extra) + 1;
  }
  return true;
}

std::string TextFromFileBytes(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (const char c : bytes) {
    const auto b = uint8_t(c);
    AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
  }
  return out;
}

uint32_t UnicodeUpper(uint32_t cp) {
  if (locale_t utf8 = Utf8Locale()) return uint32_t(towupper_l(wint_t(cp), utf8));
  return cp >= 'a' && cp <= 'z' ? cp ^ 0x20 : cp;
}

uint32_t UnicodeLower(uint32_t cp) {
  if (locale_t utf8 = Utf8Locale()) return uint32_t(towlower_l(wint_t(cp), utf8));
  return cp >= 'A' && cp <= 'Z' ? cp ^ 0x20 : cp;
}

} // namespace vl
