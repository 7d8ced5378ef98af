#include "data/Game_File.h"
#include "library/Function_Registry.h"
#include "library/Registry_Store.h"
#include "tests/library/File_Test_Support.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace vl {
namespace {

using test::Contents;

TEST(RegistryStore, HostileTextSurvivesTheFileAndKeysMatchWithoutCase) {
  const std::string hostile[] = {"",
                                 "-",
                                 "%",
                                 "%41",
                                 "two words",
                                 "line\r\nbreak\nkey HKEY_USERS\\x",
                                 std::string("nul\0byte", 8),
                                 "\xff\xfe not UTF-8 \xc3",
                                 "ÄÖÜ ß 日本",
                                 "string a b c",
                                 "\\\\\\"};
  CRegistryStore store;
  const std::string key = RegistryKeyPath(0, "Software\\Test");
  for (size_t i = 0; i < std::size(hostile); ++i) {
    store.Set(key, hostile[i], hostile[i]);
    store.Set(RegistryKeyPath(2, hostile[i]), "name" + std::to_string(i),
              std::vector<uint8_t>{0, 255, uint8_t(i)});
  }
  store.Set(key, "empty binary", std::vector<uint8_t>());
  store.Set(key, "number", uint32_t(4000000000u));

  CRegistryStore again;
  ASSERT_TRUE(again.Parse(store.Text()));
  EXPECT_EQ(again.Text(), store.Text());
  for (size_t i = 0; i < std::size(hostile); ++i) {
    const RRegistryValue* value = again.Find(key, hostile[i]);
    ASSERT_NE(value, nullptr) << i;
    EXPECT_EQ(std::get<std::string>(*value), hostile[i]) << i;
  }
  EXPECT_EQ(std::get<std::vector<uint8_t>>(*again.Find(key, "EMPTY Binary")), std::vector<uint8_t>());
  EXPECT_EQ(std::get<uint32_t>(*again.Find(key, "Number")), 4000000000u);
  // Every line of the file is one entry: the text's line breaks and spaces are encoded.
  std::istringstream lines(store.Text());
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "vlrun registry 1");
  while (std::getline(lines, line)) {
    const size_t fields = std::count(line.begin(), line.end(), ' ') + 1;
    EXPECT_EQ(fields, line.starts_with("key ") ? 2u : 3u) << line;
  }

  // Root, path and name match without regard to case or extra separators; Unicode letters too.
  EXPECT_TRUE(again.KeyExists("hkey_current_user\\SOFTWARE\\\\test\\"));
  EXPECT_NE(again.Find("HKEY_CURRENT_USER\\software\\TEST", "äöü ß 日本"), nullptr);
  EXPECT_EQ(again.Find(RegistryKeyPath(1, "Software\\Test"), "-"), nullptr); // another root
}

TEST(RegistryStore, UnreadableLinesAreSkippedAndTheRestKept) {
  CRegistryStore store;
  EXPECT_FALSE(store.Parse("vlrun registry 1\n"
                           "string orphan x\n" // before any key
                           "key HKEY_CURRENT_USER\\A\n"
                           "string good yes\n"
                           "binary bad 0g\n"
                           "binary odd 123\n"
                           "dword big 99999999999\n"
                           "string bad%2 x\n"
                           "string too many fields\n"
                           "unknown a b\n"
                           "key -\n"
                           "string lost x\n"
                           "key HKEY_CURRENT_USER\\a\r\n" // the same key again, with CR LF
                           "dword flag 1\r\n"
                           "string good twice\n"));
  const std::string key = "HKEY_CURRENT_USER\\A";
  EXPECT_EQ(std::get<std::string>(*store.Find(key, "good")), "twice");
  EXPECT_EQ(std::get<uint32_t>(*store.Find(key, "flag")), 1u);
  for (const char* name : {"orphan", "bad", "odd", "big", "lost"})
    EXPECT_EQ(store.Find(key, name), nullptr) << name;
  EXPECT_FALSE(store.Parse("not a registry"));
}

// The store lives in a scratch config folder, and the functions are called through the table.
class Registry : public test::CFileFunctionTest {
protected:
  void SetUp() override {
    static const bool registered = (Register_Function_Registry(), true);
    (void)registered;
    CFileFunctionTest::SetUp();
    setenv("XDG_CONFIG_HOME", (scratch.Path() / "config").c_str(), 1);
    GameData().gd_gameid = 4711;
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    ResetRegistryState();
    GameData().gd_gameid = 0;
    CFileFunctionTest::TearDown();
  }
  RValue Call(const char* function, std::vector<RValue> args) {
    return CallBuiltin(function, std::move(args), 3);
  }
  std::string StoreText() { return Contents(scratch.Path() / "config/vlrun/registry.txt"); }
};

TEST_F(Registry, TheGameKeyHoldsStringsAndRealsByNameWithoutCase) {
  EXPECT_EQ(Call("registry_exists", {RValue("score")}).Real(), 0);
  // Looking creates the game's key.
  EXPECT_NE(StoreText().find("key HKEY_CURRENT_USER\\Software\\Velmora\\4711\n"), std::string::npos);

  Call("registry_write_string", {RValue("Player"), RValue("Ann Lee")});
  Call("registry_write_real", {RValue("Score"), RValue(-1234.5)});
  Call("registry_write_real", {RValue("tiny"), RValue(1e-300)});
  EXPECT_EQ(Call("registry_read_string", {RValue("PLAYER")}).Str(), "Ann Lee");
  EXPECT_EQ(Call("registry_read_real", {RValue("score")}).Real(), -1234.5);
  EXPECT_EQ(Call("registry_read_real", {RValue("Tiny")}).Real(), 1e-300);
  EXPECT_EQ(Call("registry_exists", {RValue("SCORE")}).Real(), 1);
  // A missing value or one of the other type reads as the empty default.
  EXPECT_EQ(Call("registry_read_string", {RValue("score")}).Str(), "");
  EXPECT_EQ(Call("registry_read_real", {RValue("player")}).Real(), 0);
  EXPECT_EQ(Call("registry_read_string", {RValue("missing")}).Str(), "");
  // A real is the 8 bytes of its double, lowest first.
  EXPECT_NE(StoreText().find("binary Score 00000000004a93c0\n"), std::string::npos) << StoreText();
  // Another game has its own key.
  GameData().gd_gameid = 4712;
  EXPECT_EQ(Call("registry_read_string", {RValue("player")}).Str(), "");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Registry, ExtFunctionsWorkUnderTheChosenRootWithMixedCaseAndBackslashKeys) {
  Call("registry_set_root", {RValue(1.0)});
  Call("registry_write_string_ext", {RValue("\\Software\\Maker\\Game"), RValue("Path"), RValue("C:\\games")});
  Call("registry_write_real_ext", {RValue("Software\\Maker\\Game\\"), RValue("runs"), RValue(3.0)});
  EXPECT_EQ(Call("registry_read_string_ext", {RValue("software\\\\MAKER\\game"), RValue("path")}).Str(),
            "C:\\games");
  EXPECT_EQ(Call("registry_read_real_ext", {RValue("\\SOFTWARE\\maker\\Game"), RValue("RUNS")}).Real(), 3);
  EXPECT_EQ(Call("registry_exists_ext", {RValue("Software\\Maker\\Game"), RValue("Path")}).Real(), 1);
  // Each root is its own tree; rounding picks the root and any other value is the current user.
  const struct {
    double root;
    bool found;
  } roots[] = {{0, false}, {0.6, true}, {1.5, false}, {2, false}, {3, false}, {4, false}, {-1, false}};
  for (const auto& r : roots) {
    Call("registry_set_root", {RValue(r.root)});
    EXPECT_EQ(Call("registry_read_string_ext", {RValue("Software\\Maker\\Game"), RValue("Path")}).Str(),
              r.found ? "C:\\games" : "")
        << r.root;
  }
  EXPECT_NE(StoreText().find("key HKEY_LOCAL_MACHINE\\Software\\Maker\\Game\n"), std::string::npos)
      << StoreText();
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Registry, SecureModeRefusesForeignWritesAndExistsExtOnlyLooks) {
  GameData().gd_securemode = true;
  const struct {
    const char* function;
    RValue value;
  } refused[] = {{"registry_write_string_ext", RValue("x")}, {"registry_write_real_ext", RValue(1.0)}};
  for (const auto& r : refused) {
    Call(r.function, {RValue("Software\\Other"), RValue("v"), r.value});
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"In Secure mode you cannot write registry entries in Software\\Other"})
        << r.function;
  }
  EXPECT_EQ(Call("registry_exists_ext", {RValue("Software\\Other"), RValue("v")}).Real(), 0);
  EXPECT_EQ(StoreText().find("Other"), std::string::npos) << StoreText();
  // The game's own key stays writable.
  Call("registry_write_string", {RValue("name"), RValue("kept")});
  EXPECT_EQ(Call("registry_read_string", {RValue("name")}).Str(), "kept");
  EXPECT_TRUE(Messages().empty());

  GameData().gd_securemode = false;
  EXPECT_EQ(Call("registry_exists_ext", {RValue("Software\\Other"), RValue("v")}).Real(), 0);
  EXPECT_NE(StoreText().find("key HKEY_CURRENT_USER\\Software\\Other\n"), std::string::npos) << StoreText();
}

TEST_F(Registry, SecureModePreferenceComesFromThePreferencesKey) {
  const std::string key = "key HKEY_CURRENT_USER\\Software\\Velmora\\Version%208.1\\Preferences\n";
  const struct {
    std::string values; // lines under the key; "none" for no key at all
    bool secure;
  } cases[] = {
      {"none", false},
      {"", false},
      {"dword Warning 1\n", true},
      {"dword warning 0\n", false},
      {"dword Warning 1\ndword VelmoraRunning 1\n", true},
      {"dword Warning 1\ndword VelmoraRunning 0\n", false},
      {"dword Warning 0\ndword VelmoraRunning 1\n", false},
      {"dword VelmoraRunning 1\n", false},
      {"string Warning 1\n", true},
      {"binary Warning 0000\n", false},
  };
  fs::create_directories(scratch.Path() / "config/vlrun");
  for (const auto& c : cases) {
    std::ofstream(scratch.Path() / "config/vlrun/registry.txt", std::ios::trunc)
        << "vlrun registry 1\n"
        << (c.values == "none" ? "" : key + c.values);
    EXPECT_EQ(ReadSecureMode(), c.secure) << c.values;
  }
}

} // namespace
} // namespace vl
