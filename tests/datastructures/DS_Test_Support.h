#pragma once
// Calling ds_ functions through the built-in function table, with the reported errors collected.

#include "datastructures/DS_State.h"
#include "datastructures/Function_Data_Structures.h"
#include "datastructures/Support_Data_Structures.h"
#include "library/Support_Report.h"
#include "script/Code_Function.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace vl::test {

inline std::vector<std::string>& ReportedErrors() {
  static std::vector<std::string> errors;
  return errors;
}

inline RValue S(std::string_view s) {
  return RValue(s);
}

class CRecordedErrors final : public CFunctionErrorSink {
public:
  void ReportFunctionError(std::string_view m) override { ReportedErrors().emplace_back(m); }
};

// Fresh tables, default precision and an empty error list for every test.
class DSFunctionTest : public ::testing::Test {
protected:
  void SetUp() override {
    static const bool registered = (Register_Function_DataStructures(), true);
    (void)registered;
    static CRecordedErrors recorded;
    SetFunctionErrorSink(&recorded);
    ReportedErrors().clear();
    ResetDataStructureState();
  }
  void TearDown() override {
    ResetDataStructureState();
    SetFunctionErrorSink(nullptr);
  }
  static RValue Call(std::string_view name, std::initializer_list<RValue> args = {}) {
    const int32_t id = FindBuiltinFunction(name);
    EXPECT_GE(id, 0) << name;
    const RFunction* f = GetBuiltinFunction(id);
    RValue argv[16];
    int32_t n = 0;
    for (const RValue& v : args) argv[n++] = v;
    EXPECT_TRUE(f->f_argnumb == -1 || f->f_argnumb == n) << name;
    RValue result;
    f->f_routine(nullptr, nullptr, n, result, argv);
    return result;
  }
};

} // namespace vl::test
