// Runs scenario scripts: one command a line against one simulated process.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "tools/corvane-sim/lexer.h"
#include "tools/corvane-sim/session.h"

namespace corvane::cli {

// "SCRIPT:LINE" of the command that an Interpreter is running now, or empty
// when none is: for reporting a crash that ends in std::terminate.
std::string running_command_location();

class Interpreter {
 public:
  // Output (JSON Lines) goes to `out`, diagnostics to `err`.
  Interpreter(Session& session, std::ostream& out, std::ostream& err);

  // Runs a whole script. Returns the exit status: 0 when it ran to its end
  // and every expect held, 1 when an expect failed, 2 for a script error
  // (reported as SCRIPT:LINE: message), 3 when the simulated process crashed
  // (SCRIPT:LINE: the simulated process crashed: REASON). Nothing more runs
  // after a script error or a crash.
  int run_script(const std::string& script_name, const std::string& source);

  // Runs one command; returns an error message for a script error, or the
  // reason when the simulated process crashed (crashed() is then true, and
  // the session's process must be discarded: nothing more runs in it).
  std::optional<std::string> run_line(const Line& line);
  bool crashed() const { return crashed_; }
  // "SCRIPT:LINE" of the command running (or last run).
  std::string location() const { return script_name_ + ":" + std::to_string(line_); }

  const std::vector<std::string>& failures() const { return failures_; }
  // After each command, "SCRIPT:LINE: COMMAND: N guest instructions" on the
  // diagnostics stream: what the phone's library ran for it.
  void count_instructions(bool on) { count_instructions_ = on; }

 private:
  // Finds the line's command in the command table and runs it.
  std::optional<std::string> dispatch(const std::vector<Word>& words);

  Session& s_;
  std::ostream& out_;
  std::ostream& err_;
  std::vector<std::string> failures_;
  std::string script_name_;
  int line_ = 0;
  bool crashed_ = false;
  bool count_instructions_ = false;
};

}  // namespace corvane::cli
