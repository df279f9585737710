#include "tools/corvane-sim/command_table.h"

#include "tools/corvane-sim/command_handlers.h"

namespace corvane::cli {
namespace {

std::vector<Command> make_commands() {
  using S = Section;
  return {
      // --- before the library loads ---
      {"ios", S::BeforeLoad, {{"ios VERSION", "system version: 13.7 (default), 14.0, 14.4.2"}}, run_ios},
      {"process",
       S::BeforeLoad,
       {{"process springboard", "the process to load into (default)"},
        {"process app BUNDLE_ID [sandboxed=YES]",
         "an application (UIKit, no home-screen classes);\nsandboxed: an App Store app, whose reads "
         "under\n/var/mobile/Library/Preferences/ fail"},
        {"process daemon NAME", "a daemon (Foundation only)"},
        {"process settings",
         "the Settings app: the Preferences framework\nand PreferenceLoader, with the pane installed"}},
       run_process},
      {"settings",
       S::BeforeLoad,
       {{"settings KEY=VALUE ...",
         "merge keys into the settings file:\nYES NO true false, 1 -3, 0.5, \"text\"\n"
         "keys: see Settings keys below"}},
       run_settings},
      {"settings-file",
       S::BeforeLoad,
       {{"settings-file PATH",
         "copy a property-list file to the settings\npath; warns of keys and values the library\nwill not "
         "take as meant"}},
       run_settings_file},
      {"settings-remove",
       S::BeforeLoad,
       {{"settings-remove", "delete the settings file"}},
       run_settings_remove},
      {"applist",
       S::BeforeLoad,
       {{"applist BUNDLE_ID ...", "the per-application list holds these ids"}},
       run_applist},
      {"load", S::BeforeLoad, {{"load", "load the library: its load-time entry runs"}}, run_load},

      // --- objects ---
      {"new",
       S::Objects,
       {{"new NAME KIND [key=value ...]", "create a host object with its private parts:"},
        {"banner", "icon=ICON frame=x,y,w,h content=YES|NO", 4},
        {"widget", "icon=ICON frame=x,y,w,h", 4},
        {"platter",
         "icon=ICON|none items=N effect=YES|NO\n"
         "background=elastic|plain (iOS 14: an elastic\n"
         "background view or a plain UIView holding\n"
         "the blur; below: the blur or a plain UIView\n"
         "holding it; effect=NO is background=plain)\n"
         "platterView=preview|plain (plain: the pan\n"
         "controller gets a plain UIView as platter)\n"
         "binds the pan controller; the name keeps its\n"
         "presentation controller alive",
         4},
        {"statusbar, statusbar-modern", "style=N", 4},
        {"dock, folder-icon, folder-background, view (frame=x,y,w,h)", "", 4}},
       run_new},
      {"let",
       S::Objects,
       {{"let NAME = VALUE", "rgba(r,g,b,a) white(w,a) pattern image(ICON)\nnil NUMBER"}},
       run_let},

      // --- events ---
      {"layout",
       S::Events,
       {{"layout NAME",
         "the host lays the object out; a platter\n"
         "controller has no layout pass: the menu\n"
         "appears (its actions view's layout pass,\n"
         "then its platter view's)"}},
       run_layout},
      {"style",
       S::Events,
       {{"style light|dark|unspecified", "the system style changes through the arbiter"}},
       run_style},
      {"arbiter",
       S::Events,
       {{"arbiter SELECTOR [ARGS...]",
         "the host calls one arbiter method directly;\nARGS as for send: every argument of\n"
         "_logChangeEventWithNewMode:oldMode:newStyle:\noldStyle:reason: is an integer, the reason too"}},
       run_arbiter},
      {"post", S::Events, {{"post NAME [OBJECT]", "post on the default notification centre"}}, run_post},
      {"darwin-post",
       S::Events,
       {{"darwin-post NAME", "a Darwin notification arrives from outside"}},
       run_darwin_post},
      {"tick", S::Events, {{"tick SECONDS", "advance the run loop's clock; timers fire"}}, run_tick},
      {"device",
       S::Events,
       {{"device [locked=YES|NO] [homescreen=YES|NO] [frontapp=BUNDLE_ID]", ""}},
       run_device},
      {"zoom", S::Events, {{"zoom [w=W h=H]", "ask for a launch zoom view, bound to 'zoom'"}}, run_zoom},
      {"send",
       S::Events,
       {{"send TARGET SELECTOR [ARGS...]",
         "send a message; prints {\"result\":...}\n"
         "ARGS by the method's types: objects (names,\n"
         "colour and image literals, \"strings\", nil),\n"
         "selector names, YES/NO, numbers, x,y,w,h\n"
         "rects, w,h sizes"}},
       run_send},
      {"relaunch", S::Events, {{"relaunch", "end the process and start anew; files stay"}}, run_relaunch},
      {"switch",
       S::Events,
       {{"switch springboard|settings|app BUNDLE_ID",
         "the process ends and another kind starts on\nthe same files; the library loads into it"}},
       run_switch},
      {"pane",
       S::Events,
       {{"pane open [LABEL]", "Settings: tap the pane's row (default Corvane13)"},
        {"pane set KEY VALUE", "change the switch (YES/NO) or slider (a\nnumber) of settings key KEY"},
        {"pane tap LABEL", "tap the button LABEL; a confirmation is\naccepted"}},
       run_pane},

      // --- output ---
      {"dump",
       S::Output,
       {{"dump NAME|process|events|runtime",
         "print an object, the process, the event\nlog or the hook table as JSON", 2, 37},
        {"dump class NAME",
         "a class: its chain, own methods with their\nencodings, ivars with their ownership"},
        {"dump file PATH", "a property-list file (device path) as JSON"},
        {"dump settings|settings-file",
         "the library's settings values as it holds\nthem; the settings file as JSON"},
        {"dump pane",
         "the Settings app's open page: title, groups\n(label, footer, rows: label, cell, key,\nvalue, "
         "enabled)"}},
       run_dump},
      {"expect",
       S::Output,
       {{"expect NAME.FIELD[.FIELD...] VALUE",
         "compare a dumped field (colours within 1e-6,\n"
         "nil matches null); a mismatch exits with 1.\n"
         "Fields also reach into events, runtime,\n"
         "process, settings and settings-file, and into\n"
         "arrays by index: b1.subviews.1.frame"}},
       run_expect},
      {"render", S::Output, {{"render FILE.png [scale=N]", "draw the screen as it stands"}}, run_render},
  };
}

}  // namespace

const std::vector<Command>& script_commands() {
  static const std::vector<Command> commands = make_commands();
  return commands;
}

const Command* find_command(std::string_view name) {
  for (const Command& command : script_commands())
    if (command.name == name) return &command;
  return nullptr;
}

}  // namespace corvane::cli
