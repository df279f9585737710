// The functions that run the script commands, one per command; the command
// table (command_table.cpp) names them. Each reads its own words, including
// words[0], the command's name.
#pragma once

#include "tools/corvane-sim/command_context.h"

namespace corvane::cli {

// setup_commands.cpp: the process, its files and the library's load.
CommandError run_ios(CommandContext& context, const Words& words);
CommandError run_process(CommandContext& context, const Words& words);
CommandError run_settings(CommandContext& context, const Words& words);
CommandError run_settings_file(CommandContext& context, const Words& words);
CommandError run_settings_remove(CommandContext& context, const Words& words);
CommandError run_applist(CommandContext& context, const Words& words);
CommandError run_load(CommandContext& context, const Words& words);

// object_commands.cpp: objects bound to names.
CommandError run_new(CommandContext& context, const Words& words);
CommandError run_let(CommandContext& context, const Words& words);

// event_commands.cpp: what happens to the process from outside.
CommandError run_layout(CommandContext& context, const Words& words);
CommandError run_style(CommandContext& context, const Words& words);
CommandError run_post(CommandContext& context, const Words& words);
CommandError run_darwin_post(CommandContext& context, const Words& words);
CommandError run_tick(CommandContext& context, const Words& words);
CommandError run_device(CommandContext& context, const Words& words);
CommandError run_zoom(CommandContext& context, const Words& words);
CommandError run_relaunch(CommandContext& context, const Words& words);

// message_commands.cpp: messages sent by name.
CommandError run_arbiter(CommandContext& context, const Words& words);
CommandError run_send(CommandContext& context, const Words& words);

// output_commands.cpp: what the script prints and checks.
CommandError run_dump(CommandContext& context, const Words& words);
CommandError run_expect(CommandContext& context, const Words& words);
CommandError run_render(CommandContext& context, const Words& words);

// pane_commands.cpp: the Settings app and the settings pane.
CommandError run_switch(CommandContext& context, const Words& words);
CommandError run_pane(CommandContext& context, const Words& words);

}  // namespace corvane::cli
