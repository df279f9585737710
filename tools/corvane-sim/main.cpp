// corvane-sim: runs scenario scripts against a simulated process with the
// library loaded, and renders light/dark previews of the screen and of
// the settings pane.
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>

#include "sim/io/whole_file.h"
#include "sim/runtime/crash.h"
#include "tools/corvane-sim/cli_args.h"
#include "tools/corvane-sim/interpreter.h"
#include "tools/corvane-sim/library_option.h"
#include "tools/corvane-sim/pane_picture.h"
#include "tools/corvane-sim/render.h"
#include "tools/corvane-sim/session.h"

using namespace corvane::cli;

namespace {

// The largest script read; scenario scripts are a few kilobytes.
constexpr std::size_t kMaxScriptBytes = 8u << 20;

int run(const RunOptions& o) {
  std::string source, error;
  std::string name = o.script;
  const bool ok = o.script == "-" ? sim::io::read_whole_stream(STDIN_FILENO, "standard input",
                                                               kMaxScriptBytes, &source, &error)
                                  : sim::io::read_whole_file(o.script, kMaxScriptBytes, &source, &error);
  if (o.script == "-") name = "<stdin>";
  if (!ok) {
    std::cerr << "corvane-sim: cannot read the script: " << error << "\n";
    return 2;
  }
  if (auto e = check_library_option(o.library, o.arch)) {
    std::cerr << "corvane-sim: " << *e << "\n";
    return 2;
  }
  if (!o.pane.empty()) {
    std::error_code ec;
    if (!std::filesystem::exists(o.pane, ec)) {
      std::cerr << "corvane-sim: cannot use pane " << o.pane << ": no such file or folder\n";
      return 2;
    }
  }
  Session session(o.root, o.library, o.pane, o.arch, o.count_instructions);
  Interpreter interpreter(session, std::cout, std::cerr);
  interpreter.count_instructions(o.count_instructions);
  return interpreter.run_script(name, source);
}

// A crash raised where the stack cannot unwind (in a destructor, or while
// another crash unwinds) ends here rather than in the interpreter: it is
// reported the same way.
[[noreturn]] void on_terminate() {
  std::cout.flush();
  const std::string where = running_command_location();
  if (!where.empty() && !sim::last_crash_reason().empty()) {
    std::cerr << where << ": the simulated process crashed: " << sim::last_crash_reason() << std::endl;
    std::_Exit(3);
  }
  std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  std::set_terminate(on_terminate);
  CliCommand c = parse_cli(argc, argv);
  switch (c.action) {
    case CliCommand::Action::Exit:
      std::cout << c.out;
      std::cerr << c.err;
      return c.status;
    case CliCommand::Action::Run: return run(c.run);
    case CliCommand::Action::Preview: return run_preview(c.preview, std::cout, std::cerr);
    case CliCommand::Action::Pane: return run_pane(c.pane, std::cout, std::cerr);
  }
  return 2;
}
