#include "tools/corvane-sim/cli_args.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tools/corvane-sim/help.h"

namespace corvane::cli {
namespace {

using Action = CliCommand::Action;

CliCommand parse(std::vector<std::string_view> args) {
  return parse_cli(std::span<const std::string_view>(args));
}

TEST(CliArgs, RunReadsScriptAndRoot) {
  const struct {
    std::vector<std::string_view> args;
    const char* script;
    std::optional<std::string> root;
  } cases[] = {
      {{"run", "a.cvs"}, "a.cvs", std::nullopt},
      {{"run", "-"}, "-", std::nullopt},
      {{"run", "a.cvs", "--root", "/tmp/r"}, "a.cvs", "/tmp/r"},
      {{"run", "--root", "/tmp/r", "a.cvs"}, "a.cvs", "/tmp/r"},
      {{"run", "--root=/tmp/r", "a.cvs"}, "a.cvs", "/tmp/r"},
      {{"run", "--root", "-dir", "a.cvs"}, "a.cvs", "-dir"},
      {{"run", "--", "--odd.cvs"}, "--odd.cvs", std::nullopt},
  };
  for (const auto& c : cases) {
    CliCommand r = parse(c.args);
    ASSERT_EQ(r.action, Action::Run) << r.err;
    EXPECT_EQ(r.run.script, c.script);
    EXPECT_EQ(r.run.root, c.root);
    EXPECT_EQ(r.status, 0);
  }
}

TEST(CliArgs, ArchPicksASliceOfThePhonesLibrary) {
  CliCommand r = parse({"run", "a.cvs", "--library", "C.dylib", "--arch", "arm64"});
  ASSERT_EQ(r.action, Action::Run) << r.err;
  EXPECT_EQ(r.run.library, "C.dylib");
  EXPECT_EQ(r.run.arch, "arm64");
  EXPECT_EQ(parse({"run", "a.cvs", "--library=C.dylib"}).run.arch, "");
  EXPECT_TRUE(parse({"run", "--count-instructions", "a.cvs", "--library=C.dylib"}).run.count_instructions);
  EXPECT_EQ(parse({"preview", "--library", "C.dylib", "--arch=arm64e"}).preview.arch, "arm64e");
}

TEST(CliArgs, PreviewReadsItsOptions) {
  CliCommand d = parse({"preview"});
  ASSERT_EQ(d.action, Action::Preview);
  EXPECT_EQ(d.preview.output, "corvane-preview.png");
  EXPECT_FALSE(d.preview.settings);
  EXPECT_FALSE(d.preview.icon);
  EXPECT_EQ(d.preview.ios, (IosVersion{13, 7, 0}));

  CliCommand r =
      parse({"preview", "-o", "out.png", "--settings", "s.plist", "--icon=i.png", "--ios", "14.4.2"});
  ASSERT_EQ(r.action, Action::Preview) << r.err;
  EXPECT_EQ(r.preview.output, "out.png");
  EXPECT_EQ(r.preview.settings, "s.plist");
  EXPECT_EQ(r.preview.icon, "i.png");
  EXPECT_EQ(r.preview.ios, (IosVersion{14, 4, 2}));

  EXPECT_EQ(parse({"preview", "-oshot.png"}).preview.output, "shot.png");
  EXPECT_EQ(parse({"preview", "--output=a.png", "--ios=14"}).preview.ios, (IosVersion{14, 0, 0}));
  EXPECT_EQ(parse({"preview", "--scale", "1"}).preview.scale, 1.0);
  EXPECT_EQ(parse({"preview"}).preview.scale, 2.0);
  EXPECT_EQ(parse({"preview", "--app", "A.app", "--app=B.ipa", "--app", "A.app"}).preview.apps,
            (std::vector<std::string>{"A.app", "B.ipa", "A.app"}));
  EXPECT_TRUE(parse({"preview"}).preview.apps.empty());

  CliCommand pane = parse({"pane"});
  ASSERT_EQ(pane.action, Action::Pane);
  EXPECT_EQ(pane.pane.output, "corvane-pane.png");
  EXPECT_FALSE(pane.pane.settings);
  CliCommand p = parse({"pane", "-oP.png", "--settings=s.plist", "--ios", "14.2", "--scale", "1"});
  ASSERT_EQ(p.action, Action::Pane) << p.err;
  EXPECT_EQ(p.pane.output, "P.png");
  EXPECT_EQ(p.pane.settings, "s.plist");
  EXPECT_EQ(p.pane.ios, (IosVersion{14, 2, 0}));
  EXPECT_EQ(p.pane.scale, 1.0);
}

TEST(CliArgs, HelpGoesToStandardOutputWithStatusZero) {
  const struct {
    std::vector<std::string_view> args;
    std::string text;
  } cases[] = {
      {{"--help"}, main_help()},
      {{"-h"}, main_help()},
      {{"help"}, main_help()},
      {{"help", "run"}, run_help()},
      {{"help", "settings"}, settings_help()},
      {{"--help", "preview"}, preview_help()},
      {{"run", "--help"}, run_help()},
      {{"run", "a.cvs", "--bogus", "-h"}, run_help()},
      {{"preview", "--help"}, preview_help()},
      {{"help", "pane"}, pane_help()},
      {{"pane", "--ios", "14.2", "-h"}, pane_help()},
      {{"--version"}, "corvane-sim " CORVANE_VERSION "\nCorvane13 library " CORVANE_VERSION "\n"},
  };
  for (const auto& c : cases) {
    CliCommand r = parse(c.args);
    EXPECT_EQ(r.action, Action::Exit);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, c.text);
    EXPECT_TRUE(r.err.empty());
  }
}

TEST(CliArgs, UsageErrorsGoToStandardErrorWithStatusTwo) {
  const struct {
    std::vector<std::string_view> args;
    const char* message;
    const char* usage;
  } cases[] = {
      {{}, "corvane-sim: missing command", "corvane-sim run SCRIPT"},
      {{"frobnicate"}, "corvane-sim: unknown command 'frobnicate'", "corvane-sim preview"},
      {{"--verbose"}, "corvane-sim: unknown option '--verbose'", "Usage:"},
      {{"help", "nope"}, "unknown command 'nope'", "Usage:"},
      {{"run"}, "corvane-sim: run: missing SCRIPT", "Usage: corvane-sim run SCRIPT [--root DIR]"},
      {{"run", "a.cvs", "b.cvs"}, "run: unexpected argument 'b.cvs'", "Usage: corvane-sim run"},
      {{"run", "a.cvs", "--root"}, "run: option '--root' needs a value", "Usage: corvane-sim run"},
      {{"run", "a.cvs", "--root="}, "run: option '--root' needs a non-empty value", "Usage: corvane-sim run"},
      {{"run", "a.cvs", "--fast"}, "run: unknown option '--fast'", "Try 'corvane-sim run --help'"},
      {{"run", "-x", "a.cvs"}, "run: unknown option '-x'", "Usage: corvane-sim run"},
      {{"run", "--", "-h"}, "", ""},  // "-h" after "--" is the script: not an error
      {{"run", "a.cvs", "--arch", "arm64"},
       "run: --arch picks a slice of the phone's library and pane: give --library or --pane",
       "Usage: corvane-sim run"},
      {{"run", "a.cvs", "--library", "x.dylib", "--arch", "armv7"},
       "run: --arch takes arm64 or arm64e, not 'armv7'",
       "Usage: corvane-sim run"},
      {{"run", "a.cvs", "--count-instructions"},
       "--count-instructions counts the phone's library under emulation",
       "Usage: corvane-sim run"},
      {{"run", "a.cvs", "--library", "x", "--count-instructions=yes"},
       "run: option '--count-instructions' takes no value",
       "Usage: corvane-sim run"},
      {{"preview", "--library", "x.dylib", "--arch=x86_64"},
       "preview: --arch takes arm64 or arm64e, not 'x86_64'",
       "Usage: corvane-sim preview"},
      {{"preview", "extra"}, "preview: unexpected argument 'extra'", "Usage: corvane-sim preview"},
      {{"preview", "-o"}, "preview: option '-o' needs a value", "Usage: corvane-sim preview"},
      {{"preview", "--ios", "fourteen"},
       "preview: invalid iOS version 'fourteen'",
       "Usage: corvane-sim preview"},
      {{"preview", "--ios", "14.4.2.1"},
       "invalid iOS version '14.4.2.1'",
       "Try 'corvane-sim preview --help'"},
      {{"preview", "-o", "a.jpg"}, "the output is a PNG picture: -o takes FILE.png, not 'a.jpg'", ""},
      {{"preview", "--output=shots/a.PNG.tiff"}, "-o takes FILE.png, not 'shots/a.PNG.tiff'", ""},
      {{"preview", "--ios", "13.8"}, "--ios takes a version that iOS 13 or 14 had", ""},
      {{"preview", "--ios", "14.8.2"}, "(13.0 to 13.7, 14.0 to 14.8.1), not '14.8.2'", ""},
      {{"preview", "--ios", "15.0"}, "--ios takes a version", ""},
      {{"preview", "--ios", "12.4"}, "--ios takes a version", ""},
      {{"preview", "--scale", "0"},
       "--scale takes a number from 0.5 to 4, not '0'",
       "Usage: corvane-sim preview"},
      {{"preview", "--scale", "big"}, "--scale takes a number from 0.5 to 4", "Usage: corvane-sim preview"},
      {{"preview", "--root", "x"}, "preview: unknown option '--root'", "Usage: corvane-sim preview"},
      {{"preview", "--icon", "i.png", "--app", "A.app"},
       "--icon and --app cannot be used together",
       "--app PATH"},
      {{"preview", "--app", "1", "--app", "2", "--app", "3", "--app", "4", "--app", "5"},
       "--app may be given at most 4 times",
       "Usage: corvane-sim preview"},
      {{"preview", "--app"}, "option '--app' needs a value", "Usage: corvane-sim preview"},
      // pane shares preview's checks of -o, --ios and --scale, under its own name.
      {{"pane", "-o", "a.jpg"},
       "pane: the output is a PNG picture: -o takes FILE.png, not 'a.jpg'",
       "Usage: corvane-sim pane"},
      {{"pane", "--ios", "13.8"}, "pane: --ios takes a version that iOS 13 or 14 had", ""},
      {{"pane", "--icon", "i.png"}, "pane: unknown option '--icon'", "Try 'corvane-sim pane --help'"},
      {{"pane", "extra"}, "pane: unexpected argument 'extra'", "Usage: corvane-sim pane"},
  };
  for (const auto& c : cases) {
    CliCommand r = parse(c.args);
    if (*c.message == '\0') {
      EXPECT_EQ(r.action, Action::Run);
      EXPECT_EQ(r.run.script, "-h");
      continue;
    }
    std::string shown = c.args.empty() ? "(none)" : std::string(c.args[0]);
    EXPECT_EQ(r.action, Action::Exit) << shown;
    EXPECT_EQ(r.status, 2) << shown;
    EXPECT_TRUE(r.out.empty()) << shown;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.usage), std::string::npos) << r.err;
  }
}

TEST(CliArgs, ArgvFormSkipsTheProgramName) {
  const char* argv[] = {"/usr/bin/corvane-sim", "run", "x.cvs", "--root", "r"};
  CliCommand r = parse_cli(5, argv);
  ASSERT_EQ(r.action, Action::Run);
  EXPECT_EQ(r.run.script, "x.cvs");
  EXPECT_EQ(r.run.root, "r");
}

// The run help lists every script command and object kind, and no help line
// is wider than a terminal.
TEST(Help, CoversTheScriptLanguageInEightyColumns) {
  std::string run = run_help();
  for (const char* word : {"ios VERSION",
                           "process springboard",
                           "process app",
                           "process daemon",
                           "settings KEY=VALUE",
                           "settings-file",
                           "settings-remove",
                           "applist",
                           "load",
                           "new NAME KIND",
                           "let NAME = VALUE",
                           "layout NAME",
                           "style light",
                           "arbiter SELECTOR",
                           "post NAME",
                           "darwin-post NAME",
                           "tick SECONDS",
                           "device",
                           "zoom",
                           "send TARGET",
                           "relaunch",
                           "dump",
                           "dump file PATH",
                           "expect NAME.FIELD",
                           "render FILE.png",
                           "banner",
                           "widget",
                           "platter",
                           "statusbar",
                           "statusbar-modern",
                           "dock",
                           "folder-icon",
                           "folder-background",
                           "view",
                           "solid:R,G,B,A@WxH",
                           "png:PATH",
                           "--root DIR"})
    EXPECT_NE(run.find(word), std::string::npos) << word;
  for (const char* word :
       {"-o, --output FILE.png", "--settings FILE.plist", "--icon FILE.png", "--ios VERSION"})
    EXPECT_NE(preview_help().find(word), std::string::npos) << word;

  for (const std::string& text : {main_help(), run_help(), preview_help(), usage_text()}) {
    ASSERT_EQ(text.back(), '\n');
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) EXPECT_LE(line.size(), 80u) << line;
  }
}

}  // namespace
}  // namespace corvane::cli
