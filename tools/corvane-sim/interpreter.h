// Runs scenario scripts: one command a line against one simulated process.
#pragma once

#include <functional>
#include <optional>
#include <iosfwd>
#include <string>
#include <vector>

#include "tools/corvane-sim/json.h"
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

 private:
  using Words = std::vector<Word>;
  std::optional<std::string> dispatch(const Words& w);

  // Commands.
  std::optional<std::string> cmd_ios(const Words& w);
  std::optional<std::string> cmd_process(const Words& w);
  std::optional<std::string> cmd_settings(const Words& w);
  std::optional<std::string> cmd_settings_file(const Words& w);
  std::optional<std::string> cmd_settings_remove(const Words& w);
  std::optional<std::string> cmd_applist(const Words& w);
  std::optional<std::string> cmd_load(const Words& w);
  std::optional<std::string> cmd_new(const Words& w);
  std::optional<std::string> cmd_let(const Words& w);
  std::optional<std::string> cmd_layout(const Words& w);
  std::optional<std::string> cmd_style(const Words& w);
  std::optional<std::string> cmd_arbiter(const Words& w);
  std::optional<std::string> cmd_post(const Words& w);
  std::optional<std::string> cmd_darwin_post(const Words& w);
  std::optional<std::string> cmd_tick(const Words& w);
  std::optional<std::string> cmd_device(const Words& w);
  std::optional<std::string> cmd_zoom(const Words& w);
  std::optional<std::string> cmd_send(const Words& w);
  std::optional<std::string> cmd_relaunch(const Words& w);
  std::optional<std::string> cmd_dump(const Words& w);
  std::optional<std::string> cmd_expect(const Words& w);
  std::optional<std::string> cmd_render(const Words& w);

  // Sends `selector` with `arg_words` read by the method's types; prints the
  // result when `print`.
  std::optional<std::string> send_message(id target, const std::string& target_text,
                                          const std::string& selector, const Words& arg_words,
                                          size_t first_arg, bool print);
  // The JSON a field path names (`b1.backgroundColor`, `events`, ...). With
  // `absent_is_null`, a last field that the dump leaves out (`animated`,
  // `role`) gives null rather than an error.
  std::optional<std::string> field_json(const std::string& path, Json* out, bool absent_is_null = false);

  void emit(const Json& j);

  Session& s_;
  std::ostream& out_;
  std::ostream& err_;
  std::vector<std::string> failures_;
  std::string script_name_;
  int line_ = 0;
  bool crashed_ = false;
};

}  // namespace corvane::cli
