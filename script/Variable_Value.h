#pragma once
// RValue: the one value of the script language, a real or an immutable shared UTF-8 string.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace vl {

// Immutable, reference-counted UTF-8 text. The character count is kept so that string functions
// work in O(1) on ASCII text. Only RValue creates and releases these.
struct RString {
  int32_t s_refs;
  uint32_t s_bytes;
  uint32_t s_chars;
  bool Ascii() const { return s_bytes == s_chars; }
  const char* Data() const { return reinterpret_cast<const char*>(this + 1); }
  char* Data() { return reinterpret_cast<char*>(this + 1); }
};

// The longest string that operators build (64 MiB): far beyond what games use, and a runaway
// repetition or concatenation fails with a message instead of exhausting memory.
constexpr size_t kMaxStringBytes = size_t(1) << 26;

// A real or a string. Copying shares the string (no allocation); the empty string needs none either.
// Unlike the historic record, a value holds only the field that its kind selects.
class RValue {
public:
  enum : int32_t { kReal = 0, kString = 1 };

  RValue() noexcept : kind(kReal), val(0) {}
  RValue(double v) noexcept : kind(kReal), val(v) {}
  explicit RValue(std::string_view s) : kind(kString), str(MakeString(s)) {}
  RValue(const RValue& o) noexcept : kind(o.kind), val(o.val) {
    if (kind == kString && str) ++str->s_refs;
  }
  // A moved-from value is the real 0.
  RValue(RValue&& o) noexcept : kind(o.kind), val(o.val) {
    o.kind = kReal;
    o.val = 0;
  }
  RValue& operator=(const RValue& o) noexcept {
    if (o.kind == kString && o.str) ++o.str->s_refs;
    Release();
    kind = o.kind;
    val = o.val;
    return *this;
  }
  RValue& operator=(RValue&& o) noexcept {
    if (this != &o) {
      Release();
      kind = o.kind;
      val = o.val;
      o.kind = kReal;
      o.val = 0;
    }
    return *this;
  }
  ~RValue() { Release(); }

  void Swap(RValue& o) noexcept {
    std::swap(kind, o.kind);
    std::swap(val, o.val);
  }

  int32_t Kind() const { return kind; }
  bool IsReal() const { return kind == kReal; }
  bool IsString() const { return kind == kString; }
  // The number; meaningful only for a real.
  double Real() const { return val; }
  // The text; empty for a real.
  std::string_view Str() const {
    return kind == kString && str ? std::string_view(str->Data(), str->s_bytes) : std::string_view();
  }
  // Number of characters (code points) of the text.
  size_t CharCount() const { return kind == kString && str ? str->s_chars : 0; }
  bool IsAscii() const { return kind != kString || !str || str->Ascii(); }

  void SetReal(double v) {
    Release();
    kind = kReal;
    val = v;
  }
  void SetString(std::string_view s) { *this = RValue(s); }
  // Takes over a string built with NewString; the value holds its only reference.
  static RValue Adopt(RString* s) {
    RValue v;
    v.kind = kString;
    v.str = s;
    return v;
  }
  // The text's storage with one more reference (null for a real or the empty string), for holders
  // that keep a text beside a real; Adopt turns the reference back into a value.
  RString* ShareString() const noexcept {
    if (kind != kString || !str) return nullptr;
    ++str->s_refs;
    return str;
  }
  // A fresh string of `bytes` bytes to be filled and then finished with FinishString.
  static RString* NewString(size_t bytes);
  static void FinishString(RString* s);

private:
  static RString* MakeString(std::string_view s);
  void Release() {
    if (kind == kString && str && --str->s_refs == 0) FreeString(str);
  }
  static void FreeString(RString* s);

  int32_t kind;
  union {
    double val;
    RString* str;
  };
};

static_assert(sizeof(RValue) == 16);

// Number of code points in UTF-8 text (bytes that do not continue a sequence).
size_t Utf8CharCount(std::string_view s);

} // namespace vl
