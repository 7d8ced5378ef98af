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

} // namespace

uint32_t UnicodeUpper(uint32_t cp) {
  if (locale_t utf8 = Utf8Locale()) return uint32_t(towupper_l(wint_t(cp), utf8));
  return cp >= 'a' && cp <= 'z' ? cp ^ 0x20 : cp;
}

uint32_t UnicodeLower(uint32_t cp) {
  if (locale_t utf8 = Utf8Locale()) return uint32_t(towlower_l(wint_t(cp), utf8));
  return cp >= 'A' && cp <= 'Z' ? cp ^ 0x20 : cp;
}

} // namespace vl
