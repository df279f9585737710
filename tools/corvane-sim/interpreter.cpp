#include "tools/corvane-sim/interpreter.h"

#include <ostream>

#include "sim/foundation/foundation.h"
#include "sim/process/process.h"
#include "sim/runtime/crash.h"
#include "tools/corvane-sim/command_table.h"

namespace corvane::cli {
namespace {

const Interpreter* g_running = nullptr;

}  // namespace

std::string running_command_location() { return g_running ? g_running->location() : std::string(); }

void CommandContext::emit(const Json& j) const { out << j.dump() << '\n' << std::flush; }

Interpreter::Interpreter(Session& session, std::ostream& out, std::ostream& err)
    : s_(session), out_(out), err_(err) {}

int Interpreter::run_script(const std::string& script_name, const std::string& source) {
  script_name_ = script_name;
  const Interpreter* outer = g_running;
  g_running = this;
  struct Restore {
    const Interpreter* outer;
    ~Restore() { g_running = outer; }
  } restore{outer};
  LexResult lexed = lex_script(source);
  for (const Line& line : lexed.lines) {
    if (auto e = run_line(line)) {
      if (crashed_) {
        err_ << script_name << ":" << line.number << ": the simulated process crashed: " << *e << "\n";
        return 3;
      }
      err_ << script_name << ":" << line.number << ": " << *e << "\n";
      return 2;
    }
  }
  if (lexed.error) {
    err_ << script_name << ":" << lexed.error->line << ": " << lexed.error->message << "\n";
    return 2;
  }
  if (!failures_.empty()) {
    err_ << failures_.size() << " expectation" << (failures_.size() == 1 ? "" : "s") << " failed:\n";
    for (const auto& f : failures_) err_ << "  " << f << "\n";
    return 1;
  }
  return 0;
}

std::optional<std::string> Interpreter::run_line(const Line& line) {
  if (crashed_) return "the simulated process has crashed";
  line_ = line.number;
  // After a reset the process boots when a command first needs it; choosing
  // the system or the process kind does not, nor a line that is no command.
  if (!s_.booted() && !line.words.empty() && !line.words[0].quoted && find_command(line.words[0].text) &&
      line.words[0].text != "ios" && line.words[0].text != "process")
    s_.process();
  s_.invalidate_names();
  std::optional<std::string> e;
  const sim::Process* process = count_instructions_ ? &s_.process() : nullptr;
  const uint64_t before = process ? process->guest_instructions() : 0;
  try {
    sim::CrashScope scope;
    sim::AutoreleasePool pool;
    e = dispatch(line.words);
  } catch (const sim::ProcessCrashed& crash) {
    crashed_ = true;
    return std::string(crash.what());
  }
  // A command that made a new process (reset) counts from its start.
  if (count_instructions_) {
    const uint64_t after = s_.process().guest_instructions();
    err_ << location() << ": " << line.words[0].text << ": "
         << (&s_.process() == process && after >= before ? after - before : after) << " guest instructions\n";
  }
  // The host asked to exit and relaunch: that happens once the command ends.
  s_.relaunch_if_requested();
  return e;
}

std::optional<std::string> Interpreter::dispatch(const std::vector<Word>& words) {
  if (words[0].quoted) return "a command cannot be a quoted string";
  const Command* command = find_command(words[0].text);
  if (!command) return "unknown command '" + words[0].text + "'";
  CommandContext context{s_, out_, err_, location(), failures_};
  return command->run(context, words);
}

}  // namespace corvane::cli
