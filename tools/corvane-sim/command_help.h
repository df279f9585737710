// The command list of `corvane-sim run --help`, laid out from the command
// table: for each section its title, its commands' rows and a closing note.
//
// A row prints its usage at its indent and its description from its column
// on; a usage that reaches the column puts the description on the lines
// below. A description line that would pass column 79 wraps at spaces, its
// continuation lines indented two more.
#pragma once

#include <string>

#include "tools/corvane-sim/command_table.h"

namespace corvane::cli {

// Every section of the command list, each followed by an empty line.
std::string script_commands_help();

// One row as the list prints it (each line ends with a newline).
std::string help_row_text(const HelpRow& row);

}  // namespace corvane::cli
