#include "script/Variable_Value.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace vl {

size_t Utf8CharCount(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

RString* RValue::NewString(size_t bytes) {
  if (bytes == 0) return nullptr;
  auto* s = static_cast<RString*>(std::malloc(sizeof(RString) + bytes + 1));
  if (!s) throw std::bad_alloc();
  s->s_refs = 1;
  s->s_bytes = static_cast<uint32_t>(bytes);
  s->s_chars = 0;
  s->Data()[bytes] = 0;
  return s;
}

void RValue::FinishString(RString* s) {
  if (s) s->s_chars = static_cast<uint32_t>(Utf8CharCount({s->Data(), s->s_bytes}));
}

RString* RValue::MakeString(std::string_view text) {
  RString* s = NewString(text.size());
  if (!s) return nullptr;
  std::memcpy(s->Data(), text.data(), text.size());
  FinishString(s);
  return s;
}

void RValue::FreeString(RString* s) {
  std::free(s);
}

} // namespace vl
