// Help and usage texts of corvane-sim. Each ends with a newline.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::cli {

// The synopsis: one line per way to call the program.
std::string usage_text();
// "Usage: corvane-sim COMMAND ..." for one command, if there is such a command.
std::optional<std::string> command_usage(std::string_view command);
// corvane-sim --help: synopsis, commands, options, exit statuses.
std::string main_help();
// corvane-sim run --help: options and a summary of the script language.
std::string run_help();
// corvane-sim help settings, and the end of run --help: the keys of the
// settings file, one row each, with kind, default and meaning.
std::string settings_help();
// corvane-sim preview --help.
std::string preview_help();
// corvane-sim pane --help.
std::string pane_help();
// The help of a command by name ("run", "preview", "pane") or of the settings
// ("settings"), if there is such a command.
std::optional<std::string> command_help(std::string_view command);

}  // namespace corvane::cli
