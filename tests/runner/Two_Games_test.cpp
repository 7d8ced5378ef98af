// One process that plays two different games one after the other gives what separate processes
// give: the wiring and the resets leave nothing of one game in the next.
#include "platform/Platform.h"
#include "runner/Runner_Form.h"
#include "tests/support/Test_Process.h"
#include "tests/support/Test_Support.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vl::test {
namespace {

std::unique_ptr<TServices> NoDisplay() {
  return nullptr;
}

TEST(TwoGames, OneProcessPlaysThemAsSeparateProcessesDo) {
  // The first game comes back last: whatever the others left behind would show in its output.
  const std::vector<std::string> games = {BuiltProgram("examples/hello.vlg"),
                                          BuiltProgram("examples/world.vlg"),
                                          BuiltProgram("examples/hello.vlg")};
  TScratchDir dir;
  std::string separate;
  for (const std::string& game : games) {
    const RProcessResult r =
        RunCommand("cd " + Quote(dir.Path().string()) + " && " + Quote(BuiltProgram("vlrun")) +
                   " --headless --steps 40 --seed 7 " + Quote(game));
    ASSERT_EQ(r.status, 0) << r.err;
    separate += r.out;
  }
  ASSERT_FALSE(separate.empty());

  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  std::string together;
  for (const std::string& game : games) {
    std::vector<std::string> args = {"vlrun", "--headless", "--steps", "40", "--seed", "7", game};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    testing::internal::CaptureStdout();
    const int status = RunnerMain(int(argv.size()), argv.data(), NoDisplay);
    std::fflush(stdout);
    together += testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 0);
  }
  std::filesystem::current_path(previous);
  EXPECT_EQ(together, separate);
}

} // namespace
} // namespace vl::test
