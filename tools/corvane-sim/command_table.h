// The script commands of `corvane-sim run`, as one table: each command's
// name, its rows in the command list of `run --help` and the function that
// runs it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tools/corvane-sim/command_context.h"

namespace corvane::cli {

// One entry of the command list in `run --help`: the usage at `indent`, then
// the description's lines from `column` on (see command_help.h for the layout).
struct HelpRow {
  std::string_view usage;
  std::string description;  // lines separated by '\n'; may be empty
  size_t indent = 2;
  size_t column = 33;
};

// The parts of the command list, in the order `run --help` shows them.
enum class Section { BeforeLoad, Objects, Events, Output };

// Runs a command line (`words[0]` is the command's name); returns a script
// error's message, or nothing.
using CommandHandler = CommandError (*)(CommandContext& context, const Words& words);

struct Command {
  std::string_view name;
  Section section;
  std::vector<HelpRow> help;
  CommandHandler run;
};

// Every command, in the order of `run --help`.
const std::vector<Command>& script_commands();

// The command of that name, or null.
const Command* find_command(std::string_view name);

}  // namespace corvane::cli
