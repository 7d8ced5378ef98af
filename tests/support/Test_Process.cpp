#include "tests/support/Test_Process.h"

#include "tests/support/Test_Support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace vl::test {

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

} // namespace

std::string Quote(const std::string& path) {
  std::string q = "'";
  for (char c : path) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

RProcessResult RunCommand(const std::string& command) {
  TScratchDir dir;
  const std::string out = dir / "out", err = dir / "err";
  const int raw = std::system((command + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
  RProcessResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = ReadAll(out);
  r.err = ReadAll(err);
  return r;
}

std::string BuiltProgram(const std::string& name) {
  return std::string(VL_BINARY_DIR) + "/" + name;
}
std::string SourceFile(const std::string& relative) {
  return std::string(VL_SOURCE_DIR) + "/" + relative;
}

} // namespace vl::test
