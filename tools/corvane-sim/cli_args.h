// Reads the command line of corvane-sim:
//
//   corvane-sim run SCRIPT [--root DIR] [--library PATH [--arch arm64|arm64e] [--count-instructions]]
//                          [--pane PATH]
//   corvane-sim preview [-o FILE.png] [--settings FILE.plist] [--icon FILE.png | --app PATH ...]
//                       [--ios VERSION] [--scale N] [--library PATH [--arch arm64|arm64e]]
//   corvane-sim pane [-o FILE.png] [--settings FILE.plist] [--ios VERSION] [--scale N]
//   corvane-sim --help | -h | help [COMMAND] | COMMAND --help
//
// Nothing is printed and nothing exits here: the result says what to do, and
// for help or a usage error also carries the text and the exit status.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/corvane-sim/literals.h"

namespace corvane::cli {

struct RunOptions {
  std::string script;               // a path, or "-" for standard input
  std::optional<std::string> root;  // --root DIR; empty: a fresh temporary directory
  std::string library;              // --library PATH; empty: the native module
  std::string pane;                 // --pane PATH; empty: the native settings pane
  std::string arch;                 // --arch arm64|arm64e: the slice of the phone's fat dylib
  bool count_instructions = false;  // --count-instructions: per command, on standard error
};

struct PreviewOptions {
  std::string output = "corvane-preview.png";  // -o FILE.png
  std::optional<std::string> settings;         // --settings FILE.plist; empty: default settings
  std::optional<std::string> icon;             // --icon FILE.png; empty: built-in icons
  std::vector<std::string> apps;               // --app PATH, up to four: .app folders or .ipa archives
  IosVersion ios;                              // --ios VERSION, default 13.7
  double scale = 2;                            // --scale N: pixels per point, 0.5 to 4
  std::string library;                         // --library PATH; empty: the native module
  std::string arch;                            // --arch arm64|arm64e
};

struct PaneOptions {
  std::string output = "corvane-pane.png";  // -o FILE.png
  std::optional<std::string> settings;      // --settings FILE.plist; empty: default settings
  IosVersion ios;                           // --ios VERSION, default 13.7
  double scale = 2;                         // --scale N: pixels per point, 0.5 to 4
};

struct CliCommand {
  enum class Action {
    Run,      // run the script in `run`
    Preview,  // render the preview in `preview`
    Pane,     // draw the settings pane as `pane` says
    Exit,     // print `out` on standard output and `err` on standard error, then exit with `status`
  };
  Action action = Action::Exit;
  RunOptions run;
  PreviewOptions preview;
  PaneOptions pane;
  std::string out;
  std::string err;
  int status = 0;  // 0 for help, 2 for a usage error
};

// `args` excludes the program name (argv + 1 .. argv + argc).
CliCommand parse_cli(std::span<const std::string_view> args);
CliCommand parse_cli(int argc, const char* const* argv);

}  // namespace corvane::cli
