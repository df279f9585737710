#include "tools/corvane-sim/help.h"

#include "tools/corvane-sim/command_help.h"
#include "tools/corvane-sim/settings_check.h"

namespace corvane::cli {
namespace {

constexpr std::string_view kRunSynopsis =
    "corvane-sim run SCRIPT [--root DIR] [--pane PATH]\n"
    "                       [--library PATH [--arch ARCH] [--count-instructions]]";
// Both usage texts print a synopsis after a 7-column prefix ("Usage: "), so
// the continuation line lines up under the first option.
constexpr std::string_view kPreviewSynopsis =
    "corvane-sim preview [-o FILE.png] [--settings FILE.plist]\n"
    "                           [--icon FILE.png | --app PATH ...]\n"
    "                           [--ios VERSION] [--scale N]\n"
    "                           [--library PATH [--arch ARCH]]";

constexpr std::string_view kPaneSynopsis =
    "corvane-sim pane [-o FILE.png] [--settings FILE.plist] [--ios VERSION]\n"
    "                        [--scale N]";

constexpr std::string_view kRunBodyBeforeCommands = R"(
Runs one simulated process with the library loaded, driven by SCRIPT ("-"
reads standard input). dump, send and expect print one JSON document a line
on standard output; diagnostics go to standard error.

Options:
  --root DIR     root of the simulated file system, kept afterwards; without
                 it a fresh temporary directory is used and removed at exit
  --library PATH the library to load: the native module (the default, the
                 one this build made) or the phone's dylib
                 (build-device/Corvane13.dylib), which then runs under
                 emulation against the same simulated host
  --arch ARCH    which slice of the phone's fat dylib and pane runs: arm64e
                 (the default; A12 and later, with pointer authentication
                 enforced) or arm64 (A9-A11)
  --count-instructions
                 after each command, print on standard error the guest
                 instructions the phone's library ran for it
                 (SCRIPT:LINE: COMMAND: N guest instructions)
  --pane PATH    the settings pane the Settings app (process settings)
                 finds: the native one (the default) or the phone's bundle,
                 its folder (build-device/Corvane13Prefs.bundle) or its
                 Mach-O, which then runs under emulation
  -h, --help     show this help

Exit status: 0 when the script ran to its end and every expect held; 1 when
an expect failed (the script goes on); 2 for a script error (an unknown
command, object or selector, a malformed value, an argument of the wrong
kind for the method's types, a file that cannot be read), reported as
SCRIPT:LINE: message; 3 when the simulated process crashed (the host raised,
as for an unknown selector or key), reported as SCRIPT:LINE: the simulated
process crashed: REASON. Nothing more of the script runs after a 2 or a 3.
Files (the script, settings-file, png:) must be regular files: at most 8 MiB
for scripts and property lists, 64 MiB for PNG images.

Script: one command a line; # starts a comment; words are separated by
spaces; "..." quotes a word (\" and \\ inside) and makes it a string.

)";

// The command list (command_help.h) goes between these two.
constexpr std::string_view kRunBodyAfterCommands =
    "Predefined names: arbiter, and springboard in the home-screen process. Private\n"
    "parts are named after instance variables without the underscore, e.g.\n"
    "b1.backgroundView, m.platterView, m.actionsView.currentActionGroupView (iOS\n"
    "13), m.actionsView.currentCollectionView.backgroundView.visualEffectView\n"
    "(iOS 14).\n";

constexpr std::string_view kPreviewBody = R"(
Renders the simulated screen in the light and the dark style side by side
(banner, widget, force-touch menu, status bar, dock, folder) with the library
loaded, and writes it as a PNG. With no options it uses the default settings
and built-in icons.

Options:
  -o, --output FILE.png    where to write (default corvane-preview.png)
  --settings FILE.plist    a settings file (XML or binary property list);
                           warns of unknown keys, values of the wrong kind
                           and strengths or offsets outside 0 to 1 (see
                           corvane-sim help settings)
  --icon FILE.png          an app icon for the banner, widget and menu
                           (any size up to 4096 pixels a side; ordinary or
                           the optimised PNG found in app bundles)
  --app PATH               an app: an .app folder or an .ipa archive (a zip
                           holding Payload/NAME.app/). Its icon and name go
                           into a banner; give up to four to compare them,
                           one banner each, stacked. The widget and the menu
                           show the first. Not together with --icon.
  --ios VERSION            a version iOS 13 or 14 had, 13.0 to 13.7 and
                           14.0 to 14.8.1: 13.7 (default), 14.0, 14.4.2
  --scale N                pixels per point, 0.5 to 4 (default 2)
  --library PATH           the library to load: the native module (default)
                           or the phone's dylib, run under emulation
  --arch ARCH              the slice of the phone's fat dylib: arm64e
                           (default, pointer authentication enforced) or
                           arm64
  -h, --help               show this help

The icon of an app is found as the home screen finds it: Info.plist (XML or
binary), CFBundleIcons > CFBundlePrimaryIcon > CFBundleIconFiles, else
CFBundleIconFiles or CFBundleIconFile; of the files NAME@3x.png, NAME@2x.png,
NAME.png (and their ~iphone forms) present, the largest. The name is
CFBundleDisplayName, else CFBundleName.

Exit status: 0 on success; 2 for a usage error or bad input (an unreadable
or invalid --settings, --icon or --app file, an app without an icon, an .ipa
without exactly one app, an --ios version iOS 13 and 14 did not have, an -o
file named for another format than PNG or that cannot be written). No
partial picture is left behind.
)";

constexpr std::string_view kPaneBody = R"(
Draws the settings pane as the Settings app shows it, in the light and the
dark style side by side, and writes it as a PNG: the pane is opened in a
simulated Settings app (as the script commands process settings, load and
pane open do) and its page is drawn from the rows its controller gives,
with the values it reads from the settings file. The whole page is drawn,
top to bottom, under the status and navigation bars. Grouped rows as iOS 13
draws them (edge to edge) or iOS 14 (inset, with rounded corners).

Options:
  -o, --output FILE.png    where to write (default corvane-pane.png)
  --settings FILE.plist    a settings file (XML or binary property list), as
                           the pane finds it; without one the pane shows the
                           defaults. A value of the wrong kind shows as the
                           library reads it; warns as preview does
  --ios VERSION            a version iOS 13 or 14 had, 13.0 to 13.7 and
                           14.0 to 14.8.1: 13.7 (default), 14.0, 14.4.2
  --scale N                pixels per point, 0.5 to 4 (default 2)
  -h, --help               show this help

Exit status: 0 on success; 2 for a usage error or bad input (a missing,
unreadable or invalid --settings file, or one that holds no dictionary, an
--ios version iOS 13 and 14 did not have, an -o file named for another
format than PNG or that cannot be written). No partial picture is left
behind.
)";

// The settings table: a key, its kind and default in fixed columns, then
// its meaning, wrapped.
constexpr size_t kKindColumn = 27;
constexpr size_t kDefaultColumn = 35;
constexpr size_t kMeaningColumn = 44;
constexpr std::string_view kSettingsHeading = "KEY                      KIND    DEFAULT";

constexpr std::string_view kSettingsIntro =
    "Settings keys, as the settings file holds them (settings KEY=VALUE,\n"
    "settings-file, preview --settings). A switch is true or false (YES or NO, or\n"
    "the integer 1 or 0); 0 to 1 is a real strength or offset. The library reads\n"
    "these keys when it loads, takes the default for a key that is absent and\n"
    "ignores any other key. It writes one more itself: enabled, whether the\n"
    "system's style is dark.\n";

}  // namespace

std::string usage_text() {
  std::string s = "Usage: ";
  s += kRunSynopsis;
  s += "\n       ";
  s += kPreviewSynopsis;
  s += "\n       ";
  s += kPaneSynopsis;
  s += "\n       corvane-sim --help | COMMAND --help | --version\n";
  return s;
}

std::optional<std::string> command_usage(std::string_view command) {
  if (command == "run") return "Usage: " + std::string(kRunSynopsis) + "\n";
  if (command == "preview") return "Usage: " + std::string(kPreviewSynopsis) + "\n";
  if (command == "pane") return "Usage: " + std::string(kPaneSynopsis) + "\n";
  return std::nullopt;
}

std::string main_help() {
  return "corvane-sim: runs the Corvane13 library in a simulated iOS process.\n\n" + usage_text() +
         R"(
Commands:
  run          run a scenario script; prints JSON Lines on standard output
  preview      render the screen in the light and dark style to a PNG
  pane         draw the settings pane, light and dark, to a PNG
  help [CMD]   show this help, or the help of a command
  help settings
               the keys of the settings file: kind, default, meaning

Options:
  -h, --help   show this help
  --version    show the version of the simulator and its library

Exit status: 0 on success; 1 when an expect of a script failed; 2 for a
usage or script error; 3 when a script's simulated process crashed.

See 'corvane-sim COMMAND --help' for the options of a command and, for run,
the script language.
)";
}

std::string settings_help() {
  std::string out(kSettingsIntro);
  out += help_row_text(HelpRow{kSettingsHeading, "MEANING", 2, kMeaningColumn});
  for (const SettingsKey& key : settings_keys()) {
    std::string columns(key.name);
    columns.resize(kKindColumn - 2, ' ');
    columns += key.is_switch ? "switch" : "0 to 1";
    columns.resize(kDefaultColumn - 2, ' ');
    columns += settings_default_text(key);
    out += help_row_text(HelpRow{columns, std::string(key.meaning), 2, kMeaningColumn});
  }
  return out;
}

std::string run_help() {
  return *command_usage("run") + std::string(kRunBodyBeforeCommands) + script_commands_help() +
         std::string(kRunBodyAfterCommands) + "\n" + settings_help();
}

std::string preview_help() { return *command_usage("preview") + std::string(kPreviewBody); }

std::string pane_help() { return *command_usage("pane") + std::string(kPaneBody); }

std::optional<std::string> command_help(std::string_view command) {
  if (command == "run") return run_help();
  if (command == "preview") return preview_help();
  if (command == "pane") return pane_help();
  if (command == "settings") return settings_help();
  return std::nullopt;
}

}  // namespace corvane::cli
