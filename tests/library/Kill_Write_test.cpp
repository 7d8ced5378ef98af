// A child process writes the registry store or an INI file over and over and is killed at a random
// moment; each time the file must hold a whole state: the one from before the child started or one
// the child wrote, never a torn one.
#include "library/Function_Registry.h"
#include "library/Ini_File.h"
#include "library/Registry_Store.h"
#include "tests/library/File_Test_Support.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vl {
namespace {

using test::Contents;

// The value of write n: long enough that a write takes a while, and telling its own n.
std::string Pattern(int64_t n) {
  return std::string(3000 + size_t(n % 13) * 997, char('a' + n % 26)) + "|" + std::to_string(n);
}

// The n of a value that is a whole Pattern, or -1.
int64_t PatternNumber(const std::string& value) {
  const size_t bar = value.find('|');
  if (bar == std::string::npos) return -1;
  const int64_t n = std::atoll(value.c_str() + bar + 1);
  return value == Pattern(n) ? n : -1;
}

class KillDuringWrites : public test::CFileFunctionTest {
protected:
  void SetUp() override {
    static const bool registered = (Register_Function_Registry(), Register_Function_Ini(), true);
    (void)registered;
    CFileFunctionTest::SetUp();
    setenv("XDG_CONFIG_HOME", (scratch.Path() / "config").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    ResetIniState();
    CFileFunctionTest::TearDown();
  }

  // Runs `rounds` children that call write(n) for n = first, first + 1, ... until killed, and
  // checks after each kill that read() gives the last n before the child or one the child wrote.
  template <class Write, class Read>
  void KillWriters(int rounds, Write write, Read read, const fs::path& folder) {
    std::mt19937 random(27);
    std::uniform_int_distribution<int> delay_us(0, 40000);
    write(0);
    int64_t last = 0;
    int changed = 0, leftovers = 0;
    for (int round = 1; round <= rounds; ++round) {
      const int64_t first = int64_t(round) * 1000000;
      const pid_t child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        for (int64_t n = first;; ++n) write(n);
      }
      std::this_thread::sleep_for(std::chrono::microseconds(delay_us(random)));
      kill(child, SIGKILL);
      int status = 0;
      waitpid(child, &status, 0);
      ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended on its own";
      const int64_t n = read();
      ASSERT_TRUE(n == last || n >= first) << "round " << round << ": found " << n << " after " << last;
      changed += n != last;
      last = n;
      // A kill in the middle of a write leaves its temporary file; the store itself is whole.
      for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".tmp") != std::string::npos)
          ++leftovers, fs::remove(entry);
    }
    EXPECT_GT(changed, 0) << "no kill came after a write";
    RecordProperty("kills_after_a_write", changed);
    RecordProperty("kills_inside_a_write", leftovers);
  }
};

TEST_F(KillDuringWrites, TheRegistryStoreHoldsTheOldOrTheNewValue) {
  const fs::path folder = scratch.Path() / "config/vlrun";
  KillWriters(
      40,
      [](int64_t n) {
        CallBuiltin("registry_write_string", {RValue("v"), RValue(Pattern(n))}, 2);
      },
      [&] {
        CRegistryStore store;
        EXPECT_TRUE(store.Parse(Contents(folder / "registry.txt")));
        const RRegistryValue* value = store.Find(RegistryKeyPath(0, "Software\\Velmora\\0"), "v");
        return value ? PatternNumber(std::get<std::string>(*value)) : -1;
      },
      folder);
}

TEST_F(KillDuringWrites, TheIniFileHoldsTheOldOrTheNewValue) {
  CallBuiltin("ini_open", {RValue("Game.ini")}, 1);
  KillWriters(
      40,
      [](int64_t n) {
        CallBuiltin("ini_write_string", {RValue("save"), RValue("v"), RValue(Pattern(n))}, 3);
      },
      [&] {
        const std::string text = Contents(scratch.Path() / "Game.ini");
        CIniFile ini;
        ini.Parse(text);
        EXPECT_EQ(ini.Text(), text); // nothing after the last whole line
        return PatternNumber(ini.Read("save", "v").value_or(""));
      },
      scratch.Path());
}

} // namespace
} // namespace vl
