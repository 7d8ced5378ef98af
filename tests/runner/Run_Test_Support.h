#pragma once
// A game built in memory for the dispatch and step tests: objects with code actions, rooms with
// instances, the runner's host and names, and a built-in "trace" that collects what events say.

#include "tests/support/Test_Platform.h"
#include "tools/writer/Game_Writer.h"
#include "world/Event_Class.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vl {
class CAction;
class CEvent;
class CInstance;
} // namespace vl

namespace vl::test {

class RunnerGame : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // A new object; its index.
  int32_t Object(const std::string& name, int32_t parent = -1);
  // The object's event (type, number) with these code actions appended.
  CEvent& On(int32_t object, int32_t type, int32_t number, std::vector<std::string> code = {});
  // A new room resource with the given speed; its index.
  int32_t Room(int32_t speed = 30);
  // Compiles the objects; fails the test on an error.
  void Compile();
  // What trace() received since the last call, joined with spaces.
  std::string Trace();

  TTestPlatform platform;
};

// Writes the game as a file where the runner looks for it and loads it as the runner does.
bool LoadWrittenGame(const RGameProject& project);
// Loads, prepares and starts the game in the first room of its order.
void StartWrittenGame(const RGameProject& project);

// A function action calling the built-in of that name (-1: a name that could not be located).
CAction FunctionAction(int32_t functionid, bool question = false);
CAction KindAction(int32_t kind);

} // namespace vl::test
