#pragma once
// Calls built-in functions through the function table, as compiled code does.

#include "script/Code_Function.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vl::test {

// The count of arguments must be the function's own, or, with `anyCount`, any count for a
// function that takes a variable number.
inline RValue CallFunction(std::string_view name, std::initializer_list<RValue> args,
                           CInstance* self = nullptr, bool anyCount = false) {
  const RFunction* f = GetBuiltinFunction(FindBuiltinFunction(name));
  EXPECT_NE(f, nullptr) << name;
  if (!f) return RValue();
  RValue argv[16];
  int32_t n = 0;
  for (const RValue& v : args) argv[n++] = v;
  if (anyCount)
    EXPECT_TRUE(f->f_argnumb == -1 || f->f_argnumb == n) << name;
  else
    EXPECT_EQ(f->f_argnumb, n) << name;
  RValue result;
  f->f_routine(self, nullptr, n, result, argv);
  return result;
}

inline double ExpectReal(const RValue& r, std::string_view name) {
  EXPECT_TRUE(r.IsReal()) << name;
  return r.Real();
}

inline std::string ExpectString(const RValue& r, std::string_view name) {
  EXPECT_TRUE(r.IsString()) << name;
  return std::string(r.Str());
}

} // namespace vl::test
