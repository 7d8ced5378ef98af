// vlpack: builds a game file from a project folder.
#include "tools/writer/Project_Reader.h"

#include <CLI/CLI.hpp>
#include <cstdio>

int main(int argc, char** argv) {
  std::string project, output, runner;
  CLI::App app{"vlpack builds a game file from a project folder (game.json and the files it names).",
               "vlpack"};
  app.footer("Examples:\n  vlpack examples/hello -o hello.vlg            a game file for vlrun\n"
             "  vlpack examples/hello -o hello --runner vlrun  one executable that is the whole game\n\n"
             "Exit status: 0 written, 1 the project or the output failed, 2 wrong command line.");
  app.add_option("PROJECT", project, "The project folder")->required();
  app.add_option("-o,--output", output, "The game file to write")->required();
  app.add_option("--runner", runner, "Append the game to a copy of this runner executable");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  vl::RGameProject game;
  std::string error;
  if (!vl::ReadProject(project, game, error) || !vl::WriteGameFile(game, output, runner, error)) {
    std::fprintf(stderr, "vlpack: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
