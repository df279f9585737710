// corvane-sim: runs scenario scripts against a simulated process with the
// library loaded, and renders light/dark previews.
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/corvane-sim/cli_args.h"
#include "tools/corvane-sim/interpreter.h"
#include "tools/corvane-sim/render.h"
#include "tools/corvane-sim/session.h"

using namespace corvane::cli;

namespace {

int run(const RunOptions& o) {
  std::string source;
  std::string name = o.script;
  if (o.script == "-") {
    std::stringstream ss;
    ss << std::cin.rdbuf();
    source = ss.str();
    name = "<stdin>";
  } else {
    std::ifstream in(o.script, std::ios::binary);
    if (!in) {
      std::cerr << "corvane-sim: cannot read script " << o.script << "\n";
      return 2;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    source = ss.str();
  }
  Session session(o.root, o.library);
  Interpreter interpreter(session, std::cout, std::cerr);
  return interpreter.run_script(name, source);
}

}  // namespace

int main(int argc, char** argv) {
  CliCommand c = parse_cli(argc, argv);
  switch (c.action) {
    case CliCommand::Action::Exit:
      std::cout << c.out;
      std::cerr << c.err;
      return c.status;
    case CliCommand::Action::Run: return run(c.run);
    case CliCommand::Action::Preview: return run_preview(c.preview, std::cout, std::cerr);
  }
  return 2;
}
