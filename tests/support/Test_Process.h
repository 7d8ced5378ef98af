#pragma once
// Runs the project's programs from end-to-end tests.

#include <string>

namespace vl::test {

struct RProcessResult {
  int status = -1; // exit status
  std::string out; // standard output
  std::string err; // standard error
};

// Runs a shell command line; its output is captured.
RProcessResult RunCommand(const std::string& command);
// Path of a program built by the project (vlrun, vlpack).
std::string BuiltProgram(const std::string& name);
// Path of a file in the source tree.
std::string SourceFile(const std::string& relative);
// Quotes a path for the shell.
std::string Quote(const std::string& path);

} // namespace vl::test
