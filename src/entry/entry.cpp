#include "entry/entry.h"

#include "core/settings.h"
#include "entry/hook_installer.h"
#include "entry/restart.h"

void corvane13_entry(void) {
  corvane::register_restart_observer();
  corvane::read_settings();
  corvane::apply_version_gate();
  corvane::install_hook_table();
}

// The loader runs this once when the library is loaded into a process.
__attribute__((constructor)) static void corvane13_load(void) { corvane13_entry(); }
