#pragma once
// What the tests of the file functions share: a scratch folder that is also the working folder,
// the function errors collected, and built-in functions called through the function table.

#include "data/Game_File.h"
#include "library/Support_Report.h"
#include "script/Code_Function.h"
#include "tests/support/Test_Support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace vl::test {

class TMessages final : public CFunctionErrorSink {
public:
  void ReportFunctionError(std::string_view message) override { messages.emplace_back(message); }
  std::vector<std::string> messages;
};

inline std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Secure mode is off again after each test.
class CFileFunctionTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved = std::filesystem::current_path();
    std::filesystem::current_path(scratch.Path());
    SetFunctionErrorSink(&sink);
  }
  void TearDown() override {
    GameData().gd_securemode = false;
    SetFunctionErrorSink(nullptr);
    std::filesystem::current_path(saved);
  }

  // The arguments are padded to `slots` with zeros.
  static RValue CallBuiltin(const char* function, std::vector<RValue> args, size_t slots) {
    RValue result;
    args.resize(std::max(args.size(), slots));
    GetBuiltinFunction(FindBuiltinFunction(function))
        ->f_routine(nullptr, nullptr, int32_t(slots), result, args.data());
    return result;
  }
  std::vector<std::string> Messages() { return std::exchange(sink.messages, {}); }

  TScratchDir scratch;
  std::filesystem::path saved;
  TMessages sink;
};

} // namespace vl::test
